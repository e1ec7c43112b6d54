// UTF-8 that is valid survives the round trip through wide text unchanged; any bytes
// give text that is valid UTF-8 after one trip.
#include "FuzzInput.h"
#include "util/TextConvert.h"
#include "util/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = inputText(data, size);
  const std::wstring wide = fromUtf8(bytes);
  const std::string once = toUtf8(wide);
  FUZZ_CHECK(toUtf8(fromUtf8(once)) == once);
  if (once.size() == bytes.size() && wide.find(L'\xFFFD') == std::wstring::npos) FUZZ_CHECK(once == bytes);
  const std::optional<std::string> narrow = TryToAnsi(FromAnsi(bytes));
  if (narrow) FUZZ_CHECK(FromAnsi(*narrow) == FromAnsi(bytes));
  // Wide text from the raw units too: lone surrogates and values beyond U+10FFFF.
  std::wstring units;
  for (std::size_t i = 0; i + 3 < size; i += 4)
    units += static_cast<wchar_t>(static_cast<std::uint32_t>(data[i]) | static_cast<std::uint32_t>(data[i + 1]) << 8 |
                                  static_cast<std::uint32_t>(data[i + 2]) << 16 |
                                  static_cast<std::uint32_t>(data[i + 3] & 0x7f) << 24);
  const std::string fromUnits = toUtf8(units);
  FUZZ_CHECK(toUtf8(fromUtf8(fromUnits)) == fromUnits);
  ToAnsi(units);
  return 0;
}
