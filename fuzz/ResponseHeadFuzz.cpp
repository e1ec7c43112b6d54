// Any header lines give a head whose validator can go back in If-Range as it is.
#include "FuzzInput.h"
#include "delivery/ResponseHead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResponseHead head;
  for (const std::string& line : inputPieces(inputText(data, size), '\n')) head.addLine(line + "\n");
  FUZZ_CHECK(isUsableValidator(head.validator()));
  FUZZ_CHECK(head.length >= -1 && head.rangeFirst >= -1 && head.rangeTotal >= -1);
  return 0;
}
