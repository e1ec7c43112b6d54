// Decoding an encoding gives the bytes back (an empty text decodes to nothing, by
// design); whatever decodes, encodes to a text that decodes to the same bytes.
#include "FuzzInput.h"
#include "ui/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = inputText(data, size);
  const std::optional<std::string> back = Base64Decode(Base64Encode(bytes));
  FUZZ_CHECK(bytes.empty() ? !back : back && *back == bytes);
  if (const std::optional<std::string> decoded = Base64Decode(bytes)) {
    const std::optional<std::string> again = Base64Decode(Base64Encode(*decoded));
    FUZZ_CHECK(again && *again == *decoded);
  }
  return 0;
}
