#include "Bit7z.h"

#include "CodecCallbacks.h"
#include "CodecLibrary.h"
#include "ExtractFiles.h"
#include "ExtractPlan.h"
#include "FileSystem.h"
#include "ItemPath.h"
#include "Utf8.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

using namespace sevenzip;

namespace {

// Handler class of one archive format: 23170F69-40C1-278A-1000-000110ff0000.
constexpr Guid formatClassId(std::uint8_t format) {
  return Guid{0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, format, 0x00, 0x00}};
}

std::optional<bool> boolProperty(const PropVariant& value) {
  if (value.vt == kVtBool) return value.boolVal != 0;
  return std::nullopt;
}

// Every item as the archive describes it; deletion marks are read no further.
std::vector<ArchiveItem> readItems(const CodecLibrary& library, IInArchive& archive) {
  std::uint32_t count = 0;
  if (archive.GetNumberOfItems(&count) != kOk) throw BitException("Unknown Error");
  std::vector<ArchiveItem> items(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    ArchiveItem& item = items[index];
    {
      Property path(library);
      if (archive.GetProperty(index, kpidPath, path.get()) == kOk && path.value().vt == kVtBstr &&
          path.value().bstrVal != nullptr)
        item.rawPath = path.value().bstrVal;
    }
    {
      Property anti(library);
      if (archive.GetProperty(index, kpidIsAnti, anti.get()) == kOk && boolProperty(anti.value()).value_or(false)) {
        item.skip = true;
        continue;
      }
    }
    {
      Property folder(library);
      if (archive.GetProperty(index, kpidIsDir, folder.get()) == kOk)
        item.isFolder = boolProperty(folder.value()).value_or(false);
    }
    {
      Property attributes(library);
      if (archive.GetProperty(index, kpidAttrib, attributes.get()) == kOk && attributes.value().vt == kVtUi4)
        item.metadata.attributes = attributes.value().ulVal;
    }
    {
      Property size(library);
      if (archive.GetProperty(index, kpidSize, size.get()) == kOk && size.value().vt == kVtUi8)
        item.size = size.value().uhVal;
    }
    {
      Property crc(library);
      if (archive.GetProperty(index, kpidCrc, crc.get()) == kOk && crc.value().vt == kVtUi4)
        item.crc = crc.value().ulVal;
    }
    {
      Property modified(library);
      if (archive.GetProperty(index, kpidMTime, modified.get()) == kOk && modified.value().vt == kVtFileTime)
        item.metadata.modified = (std::uint64_t{modified.value().filetime.high} << 32) | modified.value().filetime.low;
    }
  }
  return items;
}

// The indices of the files named by `only`, in the archive's order; every item when
// there is no `only`. Items not chosen are marked skipped.
std::vector<std::uint32_t> choose(std::vector<ArchiveItem>& items, const std::vector<std::string>* only) {
  std::vector<std::uint32_t> chosen;
  if (only == nullptr) return chosen;
  std::unordered_set<std::string> wanted(only->begin(), only->end());
  for (std::uint32_t index = 0; index < items.size(); ++index) {
    ArchiveItem& item = items[index];
    if (item.skip) continue;
    if (!item.isFolder && wanted.erase(recordedPath(item)) != 0)
      chosen.push_back(index);
    else
      item.skip = true;
  }
  if (!wanted.empty()) throw BitException("The archive holds no file '" + *wanted.begin() + "'");
  return chosen;
}

std::vector<ExtractedFile> run(const CodecLibrary& library, const BitInFormat& format, const std::wstring& inFile,
                               const std::wstring* outDir, std::wstring_view finalItem, const ExtractProgress& progress,
                               const std::vector<std::string>* only = nullptr) {
  InputFile file;
  if (!file.open(inFile)) throw BitException("Cannot open archive file " + quotedPath(inFile));
  InStream stream(file);

  Handler archive;
  if (library.createObject(formatClassId(format.value()), IInArchive::kIid, archive.out()) != kOk || !archive)
    throw BitException("Cannot get class object");

  OpenCallback openCallback;
  if (archive->Open(&stream, nullptr, &openCallback) != kOk) {
    if (openCallback.passwordAsked()) throw BitException("Password is not defined");
    throw BitException("Cannot open archive " + quotedPath(inFile));
  }
  archive.setOpen();

  // The whole archive is checked before anything is written: an unsafe path fails it.
  std::vector<ArchiveItem> items = readItems(library, archive.get());
  planExtraction(items, finalItem, kPathSeparator);
  const std::vector<std::uint32_t> chosen = choose(items, only);

  std::wstring root;
  if (outDir != nullptr) {
    const std::wstring folder = outDir->empty() ? std::wstring(L".") : *outDir;
    // Checked before the first folder is made: a full disk half-way would leave a
    // half-written game behind.
    const std::uint64_t needed = plannedBytes(items);
    const std::optional<std::uint64_t> free = freeSpace(folder);
    if (free && *free < needed)
      throw BitNotEnoughSpace("Not enough disk space: " + std::to_string(needed) + " bytes to extract, " +
                              std::to_string(*free) + " free for " + toUtf8(folder));
    if (!makeFolderChain(folder)) throw BitException("Cannot create folder " + toUtf8(folder));
    root = folder;
    if (!isPathSeparator(root.back(), kPathSeparator)) root += kPathSeparator;
    // An older copy of the final item would make a half-written folder look complete.
    for (const ArchiveItem& item : items)
      if (!item.skip && item.isFinal && !removeFile(root + item.relative))
        throw BitException("Cannot replace output file " + toUtf8(root + item.relative));
  }

  ExtractCallback callback(items, root, outDir != nullptr, progress);
  // A selection is decoded only as far as its last file (a solid block from its start).
  const HResult result = only == nullptr
                             ? archive->Extract(nullptr, 0xFFFFFFFFu, 0, &callback)
                             : archive->Extract(chosen.data(), static_cast<std::uint32_t>(chosen.size()), 0, &callback);
  if (!callback.error().empty()) throw BitException(callback.error());
  if (result != kOk) throw BitException("Unknown Error");
  callback.complete();

  std::vector<ExtractedFile> written;
  for (const ArchiveItem& item : items)
    if (!item.skip && !item.isFolder) written.push_back({recordedPath(item), item.size, item.crc});
  return written;
}

}  // namespace

Bit7zLibrary::Bit7zLibrary(const std::wstring& dllPath) : m_codec(std::make_unique<const CodecLibrary>(dllPath)) {}

Bit7zLibrary::~Bit7zLibrary() = default;

BitExtractor::BitExtractor(const Bit7zLibrary& library, const BitInFormat& format)
    : m_library(library), m_format(format) {}

std::vector<ExtractedFile> BitExtractor::extract(const std::wstring& inFile, const std::wstring& outDir,
                                                 std::wstring_view finalItem,
                                                 const std::vector<std::string>* only) const {
  return run(m_library.codec(), m_format, inFile, &outDir, finalItem, m_progress, only);
}

void BitExtractor::test(const std::wstring& inFile) const {
  run(m_library.codec(), m_format, inFile, nullptr, {}, m_progress);
}
