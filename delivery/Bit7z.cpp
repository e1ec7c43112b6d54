#include "Bit7z.h"

#include "CodecAbi.h"
#include "ExtractFiles.h"
#include "Utf8.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

using namespace sevenzip;

namespace {

constexpr std::uint32_t kUnixExtension = 0x8000;
constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixLink = 0120000;
// A link's content is its target; anything longer is no link target.
constexpr std::size_t kLinkTargetLimit = 64 * 1024;

std::string operationMessage(std::int32_t result) {
  switch (result) {
    case kResultUnsupportedMethod: return "Unsupported Method";
    case kResultDataError: return "Data Error";
    case kResultCrcError: return "CRC Failed";
    case kResultUnavailable: return "Unavailable data";
    case kResultUnexpectedEnd: return "Unexpected end of data";
    case kResultDataAfterEnd: return "There are some data after the end of the payload data";
    case kResultIsNotArc: return "Is not archive";
    case kResultHeadersError: return "Headers Error";
    case kResultWrongPassword: return "Wrong password";
    default: return "Unknown Error";
  }
}

// The library reports paths with the platform's separator. A backslash in a name
// from a Unix archive is an ordinary character on Linux (the Windows library maps it
// to a private-use character), so it never splits a name there.
bool isSeparator(wchar_t c) { return c == L'/' || c == kPathSeparator; }

wchar_t asciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Compares as a case-insensitive file system would, so that the checks below hold on
// Windows, where "Kvr.EXE" and "kvr.exe" are one file.
std::wstring foldedKey(const std::vector<std::wstring>& parts, std::size_t count) {
  std::wstring key;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) key += L'/';
    for (const wchar_t c : parts[i]) key += asciiLower(c);
  }
  return key;
}

// The components of an item path, or nothing when the path could end anywhere but
// below the output folder: absolute paths, drive letters and streams (any ':'),
// ".." and names of dots only (Windows drops trailing dots and blanks).
std::optional<std::vector<std::wstring>> safeComponents(std::wstring_view path) {
  if (path.empty() || isSeparator(path.front())) return std::nullopt;
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    const std::wstring_view part = path.substr(start, end - start);
    if (!part.empty() && part != L".") {
      if (part.find(L':') != std::wstring_view::npos) return std::nullopt;
      if (part.find_first_not_of(L". ") == std::wstring_view::npos) return std::nullopt;
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  if (parts.empty()) return std::nullopt;
  return parts;
}

// True when a link at `depth` folders below the output folder, pointing at `target`,
// stays inside it.
bool linkStaysInside(std::wstring_view target, std::size_t depth) {
  if (target.empty() || isSeparator(target.front()) || target.find(L':') != std::wstring_view::npos) return false;
  std::size_t level = depth;
  std::size_t start = 0;
  while (start <= target.size()) {
    std::size_t end = start;
    while (end < target.size() && !isSeparator(target[end])) ++end;
    const std::wstring_view part = target.substr(start, end - start);
    if (part == L"..") {
      if (level == 0) return false;
      --level;
    } else if (!part.empty() && part != L".") {
      ++level;
    }
    start = end + 1;
  }
  return true;
}

struct Item {
  std::wstring rawPath;
  std::vector<std::wstring> parts;
  std::wstring relative;      // parts joined by the platform separator
  std::wstring tempRelative;  // where the file is written before it is complete
  bool isFolder = false;
  bool isLink = false;
  bool isFinal = false;
  bool skip = false;
  std::uint64_t size = 0;
  ItemMetadata metadata;
};

std::string quoted(const std::wstring& path) { return "'" + toUtf8(path) + "'"; }

// A property value released with the library's own allocator.
class Property {
 public:
  explicit Property(const Bit7zLibrary& library) : m_library(library) {}
  ~Property() { m_library.clearVariant(m_value); }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;

  PropVariant* get() { return &m_value; }
  const PropVariant& value() const { return m_value; }

 private:
  const Bit7zLibrary& m_library;
  PropVariant m_value;
};

// The archive handler, released (and closed once opened) on every path.
class Handler {
 public:
  Handler() = default;
  ~Handler() {
    if (m_archive == nullptr) return;
    if (m_open) m_archive->Close();
    m_archive->Release();
  }
  Handler(const Handler&) = delete;
  Handler& operator=(const Handler&) = delete;

  void** out() { return reinterpret_cast<void**>(&m_archive); }
  IInArchive* operator->() const { return m_archive; }
  IInArchive& get() const { return *m_archive; }
  explicit operator bool() const { return m_archive != nullptr; }
  void setOpen() { m_open = true; }

 private:
  IInArchive* m_archive = nullptr;
  bool m_open = false;
};

// Objects the library calls live on the stack of one extraction and outlive every
// reference it takes, so reference counts are kept but never free anything.
class InStream final : public IInStream {
 public:
  explicit InStream(InputFile& file) : m_file(file) {}

  HResult KVR_COMCALL QueryInterface(const Guid& iid, void** object) override {
    if (iid == kIidUnknown || iid == kIidSequentialInStream || iid == kIidInStream) {
      *object = static_cast<IInStream*>(this);
      AddRef();
      return kOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  std::uint32_t KVR_COMCALL AddRef() override { return ++m_references; }
  std::uint32_t KVR_COMCALL Release() override { return --m_references; }

  HResult KVR_COMCALL Read(void* data, std::uint32_t size, std::uint32_t* processed) override {
    std::uint32_t done = 0;
    const bool ok = m_file.read(data, size, done);
    if (processed != nullptr) *processed = done;
    return ok ? kOk : kFail;
  }

  HResult KVR_COMCALL Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* position) override {
    std::uint64_t at = 0;
    if (!m_file.seek(offset, origin, at)) return kInvalidArgument;
    if (position != nullptr) *position = at;
    return kOk;
  }

 private:
  InputFile& m_file;
  std::uint32_t m_references = 1;
};

// No password is ever given; a request for one is remembered as the failure.
class OpenCallback final : public IArchiveOpenCallback, public ICryptoGetTextPassword {
 public:
  HResult KVR_COMCALL QueryInterface(const Guid& iid, void** object) override {
    if (iid == kIidUnknown || iid == kIidArchiveOpenCallback) {
      *object = static_cast<IArchiveOpenCallback*>(this);
    } else if (iid == kIidCryptoGetTextPassword) {
      *object = static_cast<ICryptoGetTextPassword*>(this);
    } else {
      *object = nullptr;
      return kNoInterface;
    }
    AddRef();
    return kOk;
  }
  std::uint32_t KVR_COMCALL AddRef() override { return ++m_references; }
  std::uint32_t KVR_COMCALL Release() override { return --m_references; }

  HResult KVR_COMCALL SetTotal(const std::uint64_t*, const std::uint64_t*) override { return kOk; }
  HResult KVR_COMCALL SetCompleted(const std::uint64_t*, const std::uint64_t*) override { return kOk; }

  HResult KVR_COMCALL CryptoGetTextPassword(Bstr*) override {
    m_passwordAsked = true;
    return kAbort;
  }

  bool passwordAsked() const { return m_passwordAsked; }

 private:
  std::uint32_t m_references = 1;
  bool m_passwordAsked = false;
};

class ExtractCallback;

// The one output stream; it hands every block to the callback's current item.
class OutStream final : public ISequentialOutStream {
 public:
  explicit OutStream(ExtractCallback& owner) : m_owner(owner) {}

  HResult KVR_COMCALL QueryInterface(const Guid& iid, void** object) override {
    if (iid == kIidUnknown || iid == kIidSequentialOutStream) {
      *object = static_cast<ISequentialOutStream*>(this);
      AddRef();
      return kOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  std::uint32_t KVR_COMCALL AddRef() override { return ++m_references; }
  std::uint32_t KVR_COMCALL Release() override { return --m_references; }

  HResult KVR_COMCALL Write(const void* data, std::uint32_t size, std::uint32_t* processed) override;

 private:
  ExtractCallback& m_owner;
  std::uint32_t m_references = 1;
};

class ExtractCallback final : public IArchiveExtractCallback, public ICryptoGetTextPassword {
 public:
  // `root` is the output folder with its separator, empty when nothing is written.
  ExtractCallback(const std::vector<Item>& items, std::wstring root, bool writing)
      : m_items(items), m_root(std::move(root)), m_writing(writing) {}

  ~ExtractCallback() { abandon(); }
  ExtractCallback(const ExtractCallback&) = delete;
  ExtractCallback& operator=(const ExtractCallback&) = delete;

  HResult KVR_COMCALL QueryInterface(const Guid& iid, void** object) override {
    if (iid == kIidUnknown || iid == kIidProgress || iid == kIidArchiveExtractCallback) {
      *object = static_cast<IArchiveExtractCallback*>(this);
    } else if (iid == kIidCryptoGetTextPassword) {
      *object = static_cast<ICryptoGetTextPassword*>(this);
    } else {
      *object = nullptr;
      return kNoInterface;
    }
    AddRef();
    return kOk;
  }
  std::uint32_t KVR_COMCALL AddRef() override { return ++m_references; }
  std::uint32_t KVR_COMCALL Release() override { return --m_references; }

  HResult KVR_COMCALL SetTotal(std::uint64_t) override { return kOk; }
  HResult KVR_COMCALL SetCompleted(const std::uint64_t*) override { return kOk; }
  HResult KVR_COMCALL PrepareOperation(std::int32_t) override { return kOk; }

  HResult KVR_COMCALL CryptoGetTextPassword(Bstr*) override { return fail("Password is not defined"); }

  HResult KVR_COMCALL GetStream(std::uint32_t index, ISequentialOutStream** stream, std::int32_t askMode) override {
    *stream = nullptr;
    m_current = nullptr;
    m_sink = Sink::None;
    if (askMode != kAskExtract) return kOk;
    if (index >= m_items.size()) return fail("Unknown Error");
    const Item& item = m_items[index];
    if (item.skip || (item.isFolder && !m_writing)) return kOk;
    m_current = &item;
    if (!m_writing) return open(Sink::Discard, stream);
    if (item.isFolder) {
      if (!makeFolders(item, item.parts.size())) return kAbort;
      m_folders.push_back(&item);
      return kOk;
    }
    if (!makeFolders(item, item.parts.size() - 1)) return kAbort;
    if (item.isLink) {
      m_linkTarget.clear();
      return open(Sink::Link, stream);
    }
    if (!m_file.create(m_root + item.tempRelative)) return fail("Cannot open output file " + toUtf8(m_root + item.relative));
    return open(Sink::File, stream);
  }

  HResult KVR_COMCALL SetOperationResult(std::int32_t result) override {
    const Sink sink = std::exchange(m_sink, Sink::None);
    if (result != kResultOk) {
      discardCurrent();
      return fail(operationMessage(result));
    }
    if (m_current == nullptr || sink == Sink::None || sink == Sink::Discard) return kOk;
    const Item& item = *m_current;
    if (sink == Sink::Link) {
      if (!linkStaysInside(fromUtf8(m_linkTarget), item.parts.size() - 1))
        return fail("Cannot extract " + quoted(item.rawPath) + ": the link points outside the output folder");
      // Links are never made: the item becomes a file holding its target, so nothing
      // written later can pass through it.
      if (!m_file.create(m_root + item.tempRelative))
        return fail("Cannot open output file " + toUtf8(m_root + item.relative));
      if (!m_file.write(m_linkTarget.data(), static_cast<std::uint32_t>(m_linkTarget.size()))) {
        discardCurrent();
        return fail("Cannot write output file " + toUtf8(m_root + item.relative));
      }
    }
    if (!m_file.finish(item.metadata)) {
      removeFile(m_root + item.tempRelative);
      return fail("Cannot write output file " + toUtf8(m_root + item.relative));
    }
    if (item.isFinal) {
      m_pending.push_back(&item);
      return kOk;
    }
    if (!replaceFile(m_root + item.tempRelative, m_root + item.relative)) {
      removeFile(m_root + item.tempRelative);
      return fail("Cannot replace output file " + toUtf8(m_root + item.relative));
    }
    return kOk;
  }

  HResult write(const void* data, std::uint32_t size) {
    switch (m_sink) {
      case Sink::File:
        if (!m_file.write(data, size))
          return fail("Cannot write output file " + toUtf8(m_root + m_current->relative));
        return kOk;
      case Sink::Link:
        if (m_linkTarget.size() + size > kLinkTargetLimit)
          return fail("Cannot extract " + quoted(m_current->rawPath) + ": the link points outside the output folder");
        m_linkTarget.append(static_cast<const char*>(data), size);
        return kOk;
      case Sink::Discard: return kOk;
      case Sink::None: break;
    }
    return kFail;
  }

  // After a successful run: the final item takes its name, then folders get their
  // stored times and attributes, innermost first.
  void complete() {
    while (!m_pending.empty()) {
      const Item& item = *m_pending.front();
      if (!replaceFile(m_root + item.tempRelative, m_root + item.relative))
        throw BitException("Cannot replace output file " + toUtf8(m_root + item.relative));
      m_pending.erase(m_pending.begin());
    }
    for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
      finishFolder(m_root + (*it)->relative, (*it)->metadata);
  }

  // Removes what an interrupted run leaves: the file being written and the final item.
  void abandon() {
    discardCurrent();
    for (const Item* item : m_pending) removeFile(m_root + item->tempRelative);
    m_pending.clear();
  }

  const std::string& error() const { return m_error; }

 private:
  enum class Sink { None, File, Link, Discard };

  HResult fail(std::string message) {
    if (m_error.empty()) m_error = std::move(message);
    return kAbort;
  }

  HResult open(Sink sink, ISequentialOutStream** stream) {
    m_sink = sink;
    m_stream.AddRef();
    *stream = &m_stream;
    return kOk;
  }

  void discardCurrent() {
    if (!m_file.isOpen()) return;
    m_file.abandon();
    removeFile(m_root + m_current->tempRelative);
  }

  // Creates the first `count` folders of the item's path, refusing any that is taken
  // by a file or a link.
  bool makeFolders(const Item& item, std::size_t count) {
    std::wstring relative;
    for (std::size_t i = 0; i < count; ++i) {
      if (i != 0) relative += kPathSeparator;
      relative += item.parts[i];
      if (m_madeFolders.count(relative) != 0) continue;
      if (!makeItemFolder(m_root + relative)) {
        fail("Cannot create folder " + toUtf8(m_root + relative));
        return false;
      }
      m_madeFolders.insert(relative);
    }
    return true;
  }

  const std::vector<Item>& m_items;
  std::wstring m_root;
  bool m_writing;
  OutStream m_stream{*this};
  std::uint32_t m_references = 1;
  Sink m_sink = Sink::None;
  const Item* m_current = nullptr;
  std::vector<const Item*> m_pending;
  OutputFile m_file;
  std::string m_linkTarget;
  std::unordered_set<std::wstring> m_madeFolders;
  std::vector<const Item*> m_folders;
  std::string m_error;
};

HResult KVR_COMCALL OutStream::Write(const void* data, std::uint32_t size, std::uint32_t* processed) {
  const HResult result = m_owner.write(data, size);
  if (processed != nullptr) *processed = result == kOk ? size : 0;
  return result;
}

std::optional<bool> boolProperty(const PropVariant& value) {
  if (value.vt == kVtBool) return value.boolVal != 0;
  return std::nullopt;
}

// Reads every item's path and metadata and checks the whole archive before anything
// is written: an unsafe path fails it at once.
std::vector<Item> readItems(const Bit7zLibrary& library, IInArchive& archive, std::wstring_view finalItem) {
  std::uint32_t count = 0;
  if (archive.GetNumberOfItems(&count) != kOk) throw BitException("Unknown Error");
  std::vector<Item> items(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    Item& item = items[index];
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
      Property modified(library);
      if (archive.GetProperty(index, kpidMTime, modified.get()) == kOk && modified.value().vt == kVtFileTime)
        item.metadata.modified = (std::uint64_t{modified.value().filetime.high} << 32) | modified.value().filetime.low;
    }
    auto parts = safeComponents(item.rawPath);
    if (!parts) throw BitException("Cannot extract " + quoted(item.rawPath) + ": the path leaves the output folder");
    item.parts = std::move(*parts);
    for (const auto& part : item.parts) {
      if (!item.relative.empty()) item.relative += kPathSeparator;
      item.relative += part;
    }
    const std::uint32_t attributes = item.metadata.attributes.value_or(0);
    item.isLink = !item.isFolder && (attributes & kUnixExtension) != 0 &&
                  ((attributes >> 16) & kUnixTypeMask) == kUnixLink;
    item.isFinal = !item.isFolder && !finalItem.empty() && item.parts.size() == 1 &&
                   foldedKey(item.parts, 1) == foldedKey({std::wstring(finalItem)}, 1);
  }

  // Nothing may be written through a file or a link of the archive.
  std::unordered_set<std::wstring> names;
  std::unordered_set<std::wstring> files;
  for (const Item& item : items) {
    if (item.skip) continue;
    names.insert(foldedKey(item.parts, item.parts.size()));
    if (!item.isFolder) files.insert(foldedKey(item.parts, item.parts.size()));
  }
  for (Item& item : items) {
    if (item.skip) continue;
    for (std::size_t depth = 1; depth < item.parts.size(); ++depth)
      if (files.count(foldedKey(item.parts, depth)) != 0)
        throw BitException("Cannot extract " + quoted(item.rawPath) + ": " +
                           quoted(item.parts[depth - 1]) + " is no folder in the archive");
    if (item.isFolder) continue;
    // The temporary name must be no item of the archive and no other temporary name.
    std::wstring suffix = L".kvrpart";
    std::vector<std::wstring> temp = item.parts;
    temp.back() = item.parts.back() + suffix;
    while (names.count(foldedKey(temp, temp.size())) != 0) temp.back() += L'_';
    names.insert(foldedKey(temp, temp.size()));
    item.tempRelative = item.relative + temp.back().substr(item.parts.back().size());
  }
  return items;
}

}  // namespace

Bit7zLibrary::Bit7zLibrary(const std::wstring& dllPath) {
  if (!m_library.load(dllPath))
    throw BitException("Cannot load 7-zip library (error " + std::to_string(m_library.error()) + ")");
  m_createObject = reinterpret_cast<CreateObjectFn>(m_library.symbol("CreateObject"));
  if (m_createObject == nullptr) {
    const unsigned long error = m_library.error();
    m_library.unload();
    throw BitException("Cannot get CreateObject (error " + std::to_string(error) + ")");
  }
  m_variantClear = codecVariantClear(m_library);
  if (m_variantClear == nullptr) {
    const unsigned long error = m_library.error();
    m_library.unload();
    throw BitException("Cannot get VariantClear (error " + std::to_string(error) + ")");
  }
}

HResult Bit7zLibrary::createObject(const Guid& classId, const Guid& iid, void** object) const {
  return m_createObject(&classId, &iid, object);
}

void Bit7zLibrary::clearVariant(PropVariant& value) const {
  if (value.vt != kVtEmpty) m_variantClear(&value);
  value.vt = kVtEmpty;
}

BitExtractor::BitExtractor(const Bit7zLibrary& library, const BitInFormat& format)
    : m_library(library), m_format(format) {}

namespace {

void run(const Bit7zLibrary& library, const BitInFormat& format, const std::wstring& inFile,
         const std::wstring* outDir, std::wstring_view finalItem) {
  InputFile file;
  if (!file.open(inFile)) throw BitException("Cannot open archive file " + quoted(inFile));
  InStream stream(file);

  Handler archive;
  if (library.createObject(formatClassId(format.value()), kIidInArchive, archive.out()) != kOk || !archive)
    throw BitException("Cannot get class object");

  OpenCallback openCallback;
  if (archive->Open(&stream, nullptr, &openCallback) != kOk) {
    if (openCallback.passwordAsked()) throw BitException("Password is not defined");
    throw BitException("Cannot open archive " + quoted(inFile));
  }
  archive.setOpen();

  const std::vector<Item> items = readItems(library, archive.get(), finalItem);

  std::wstring root;
  if (outDir != nullptr) {
    const std::wstring folder = outDir->empty() ? std::wstring(L".") : *outDir;
    // Checked before the first folder is made: a full disk half-way would leave a
    // half-written game behind.
    std::uint64_t needed = 0;
    for (const Item& item : items)
      if (!item.skip && !item.isFolder) needed += item.size;
    const std::optional<std::uint64_t> free = freeSpace(folder);
    if (free && *free < needed)
      throw BitNotEnoughSpace("Not enough disk space: " + std::to_string(needed) + " bytes to extract, " +
                              std::to_string(*free) + " free for " + toUtf8(folder));
    if (!makeFolderTree(folder)) throw BitException("Cannot create folder " + toUtf8(folder));
    root = folder;
    if (!isSeparator(root.back())) root += kPathSeparator;
    // An older copy of the final item would make a half-written folder look complete.
    for (const Item& item : items)
      if (item.isFinal && !removeFile(root + item.relative))
        throw BitException("Cannot replace output file " + toUtf8(root + item.relative));
  }

  ExtractCallback callback(items, root, outDir != nullptr);
  const HResult result = archive->Extract(nullptr, 0xFFFFFFFFu, 0, &callback);
  if (!callback.error().empty()) throw BitException(callback.error());
  if (result != kOk) throw BitException("Unknown Error");
  callback.complete();
}

}  // namespace

void BitExtractor::extract(const std::wstring& inFile, const std::wstring& outDir, std::wstring_view finalItem) const {
  run(m_library, m_format, inFile, &outDir, finalItem);
}

void BitExtractor::test(const std::wstring& inFile) const {
  run(m_library, m_format, inFile, nullptr, {});
}
