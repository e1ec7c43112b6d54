#include "ExtractPlan.h"

#include "BitException.h"
#include "ItemPath.h"
#include "Utf8.h"

#include <unordered_set>
#include <utility>

namespace {

constexpr std::uint32_t kUnixExtension = 0x8000;
constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixLink = 0120000;

}  // namespace

std::string recordedPath(const ArchiveItem& item) {
  std::wstring path;
  for (const auto& part : item.parts) path += (path.empty() ? L"" : L"/") + part;
  return toUtf8(path);
}

std::string quotedPath(const std::wstring& path) { return "'" + toUtf8(path) + "'"; }

void planExtraction(std::vector<ArchiveItem>& items, std::wstring_view finalItem, wchar_t separator) {
  for (ArchiveItem& item : items) {
    if (item.skip) continue;
    auto parts = safeComponents(item.rawPath, separator);
    if (!parts)
      throw BitException("Cannot extract " + quotedPath(item.rawPath) + ": the path leaves the output folder");
    item.parts = std::move(*parts);
    for (const auto& part : item.parts) {
      if (!item.relative.empty()) item.relative += separator;
      item.relative += part;
    }
    const std::uint32_t attributes = item.metadata.attributes.value_or(0);
    item.isLink =
        !item.isFolder && (attributes & kUnixExtension) != 0 && ((attributes >> 16) & kUnixTypeMask) == kUnixLink;
    item.isFinal = !item.isFolder && !finalItem.empty() && item.parts.size() == 1 &&
                   foldedKey(item.parts, 1) == foldedKey({std::wstring(finalItem)}, 1);
  }

  // Nothing may be written through a file or a link of the archive.
  std::unordered_set<std::wstring> names;
  std::unordered_set<std::wstring> files;
  for (const ArchiveItem& item : items) {
    if (item.skip) continue;
    names.insert(foldedKey(item.parts, item.parts.size()));
    if (!item.isFolder) files.insert(foldedKey(item.parts, item.parts.size()));
  }
  for (ArchiveItem& item : items) {
    if (item.skip) continue;
    for (std::size_t depth = 1; depth < item.parts.size(); ++depth)
      if (files.count(foldedKey(item.parts, depth)) != 0)
        throw BitException("Cannot extract " + quotedPath(item.rawPath) + ": " + quotedPath(item.parts[depth - 1]) +
                           " is no folder in the archive");
    if (item.isFolder) continue;
    // The temporary name must be no item of the archive and no other temporary name.
    std::vector<std::wstring> temp = item.parts;
    temp.back() = item.parts.back() + L".kvrpart";
    while (names.count(foldedKey(temp, temp.size())) != 0) temp.back() += L'_';
    names.insert(foldedKey(temp, temp.size()));
    item.tempRelative = item.relative + temp.back().substr(item.parts.back().size());
  }
}

std::uint64_t plannedBytes(const std::vector<ArchiveItem>& items) {
  std::uint64_t bytes = 0;
  for (const ArchiveItem& item : items)
    if (!item.skip && !item.isFolder) bytes += item.size;
  return bytes;
}
