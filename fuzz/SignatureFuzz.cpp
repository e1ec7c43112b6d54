// Any signature file is read or refused with a bounded reason, never a crash; what is read
// goes through the whole check against a fixed key, over the input as the document.
#include "FuzzInput.h"
#include "delivery/ConfigSignature.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = inputText(data, size);
  DocumentSignature signature;
  signature.trustedComment = "before";
  std::string problem;
  if (!readDocumentSignature(text, signature, problem)) {
    FUZZ_CHECK(signature.trustedComment == "before");
    FUZZ_CHECK(!problem.empty() && problem.size() < 200);
    return 0;
  }
  FUZZ_CHECK(signature.trustedComment.find('\n') == std::string::npos);
  FUZZ_CHECK(signature.trustedComment.size() < kSignatureMaxBytes);
  SignerKey key;
  FUZZ_CHECK(readSignerKey("RWRf+7vB+J/EBS6to+P568QRr9PceJ+JZ7YD0vrxUVXwllBxGglwsbpC", key, problem));
  key.keyId = signature.keyId;
  verifyDocument(key, signature, text, problem);
  TrustedTimes times;
  if (readTrustedTimes(signature.trustedComment, times, problem)) {
    FUZZ_CHECK(times.timestamp >= -1 && times.expires >= -1);
  } else {
    FUZZ_CHECK(!problem.empty() && problem.size() < 200);
  }
  return 0;
}
