// Any public key text is read or refused, never a crash; a key read is an Ed25519 key with
// an eight-byte id.
#include "FuzzInput.h"
#include "delivery/ConfigSignature.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SignerKeyId before{1, 1, 1, 1, 1, 1, 1, 1};
  SignerKey key;
  key.keyId = before;
  std::string problem;
  if (readSignerKey(inputText(data, size), key, problem)) {
    FUZZ_CHECK(keyIdText(key.keyId).size() == 16);
  } else {
    FUZZ_CHECK(key.keyId == before);
    FUZZ_CHECK(!problem.empty());
  }
  return 0;
}
