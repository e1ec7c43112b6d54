// An accepted item path never leaves the output folder and holds no control character.
#include "FuzzInput.h"
#include "delivery/ItemPath.h"
#include "util/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the separator the codec library would report.
  const wchar_t separator = data[0] % 2 ? L'\\' : L'/';
  const std::wstring path = fromUtf8(inputText(data + 1, size - 1));
  if (const auto parts = safeComponents(path, separator)) {
    FUZZ_CHECK(!parts->empty());
    for (const std::wstring& part : *parts) {
      FUZZ_CHECK(!part.empty() && part != L"." && part != L"..");
      FUZZ_CHECK(part.find_first_not_of(L". ") != std::wstring::npos);
      for (const wchar_t c : part) FUZZ_CHECK(c >= 0x20 && c != 0x7f && c != L':' && !isPathSeparator(c, separator));
    }
    foldedKey(*parts, parts->size());
  }
  // A link target that stays inside at the top stays inside deeper down too.
  if (linkStaysInside(path, 0, separator)) FUZZ_CHECK(linkStaysInside(path, 3, separator));
  return 0;
}
