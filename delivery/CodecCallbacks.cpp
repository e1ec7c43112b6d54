#include "CodecCallbacks.h"

#include "BitException.h"
#include "ItemPath.h"
#include "Utf8.h"

#include <utility>

using namespace sevenzip;

namespace {

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

}  // namespace

HResult KVR_COMCALL InStream::Read(void* data, std::uint32_t size, std::uint32_t* processed) {
  std::uint32_t done = 0;
  const bool ok = m_file.read(data, size, done);
  if (processed != nullptr) *processed = done;
  return ok ? kOk : kFail;
}

HResult KVR_COMCALL InStream::Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* position) {
  std::uint64_t at = 0;
  if (!m_file.seek(offset, origin, at)) return kInvalidArgument;
  if (position != nullptr) *position = at;
  return kOk;
}

HResult KVR_COMCALL OpenCallback::CryptoGetTextPassword(Bstr*) {
  m_passwordAsked = true;
  return kAbort;
}

HResult KVR_COMCALL OutStream::Write(const void* data, std::uint32_t size, std::uint32_t* processed) {
  const HResult result = m_owner.write(data, size);
  if (processed != nullptr) *processed = result == kOk ? size : 0;
  return result;
}

ExtractCallback::ExtractCallback(const std::vector<ArchiveItem>& items, std::wstring root, bool writing,
                                 std::function<void(std::uint64_t, std::uint64_t)> progress)
    : m_items(items), m_root(std::move(root)), m_writing(writing), m_progress(std::move(progress)) {}

HResult KVR_COMCALL ExtractCallback::SetTotal(std::uint64_t total) {
  m_total = total;
  if (m_progress) m_progress(0, m_total);
  return kOk;
}

HResult KVR_COMCALL ExtractCallback::SetCompleted(const std::uint64_t* completed) {
  if (m_progress && completed != nullptr) m_progress(*completed, m_total);
  return kOk;
}

HResult KVR_COMCALL ExtractCallback::CryptoGetTextPassword(Bstr*) { return fail("Password is not defined"); }

HResult KVR_COMCALL ExtractCallback::GetStream(std::uint32_t index, ISequentialOutStream** stream,
                                               std::int32_t askMode) {
  *stream = nullptr;
  m_current = nullptr;
  m_sink = Sink::None;
  if (askMode != kAskExtract) return kOk;
  if (index >= m_items.size()) return fail("Unknown Error");
  const ArchiveItem& item = m_items[index];
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
  if (!m_file.create(m_root + item.tempRelative))
    return fail("Cannot open output file " + toUtf8(m_root + item.relative));
  return open(Sink::File, stream);
}

HResult KVR_COMCALL ExtractCallback::SetOperationResult(std::int32_t result) {
  const Sink sink = std::exchange(m_sink, Sink::None);
  if (result != kResultOk) {
    discardCurrent();
    return fail(operationMessage(result));
  }
  if (m_current == nullptr || sink == Sink::None || sink == Sink::Discard) return kOk;
  const ArchiveItem& item = *m_current;
  if (sink == Sink::Link) {
    if (!linkStaysInside(fromUtf8(m_linkTarget), item.parts.size() - 1, kPathSeparator))
      return fail("Cannot extract " + quotedPath(item.rawPath) + ": the link points outside the output folder");
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

HResult ExtractCallback::write(const void* data, std::uint32_t size) {
  switch (m_sink) {
    case Sink::File:
      if (!m_file.write(data, size)) return fail("Cannot write output file " + toUtf8(m_root + m_current->relative));
      return kOk;
    case Sink::Link:
      if (m_linkTarget.size() + size > kLinkTargetLimit)
        return fail("Cannot extract " + quotedPath(m_current->rawPath) + ": the link points outside the output folder");
      m_linkTarget.append(static_cast<const char*>(data), size);
      return kOk;
    case Sink::Discard: return kOk;
    case Sink::None: break;
  }
  return kFail;
}

void ExtractCallback::complete() {
  while (!m_pending.empty()) {
    const ArchiveItem& item = *m_pending.front();
    if (!replaceFile(m_root + item.tempRelative, m_root + item.relative))
      throw BitException("Cannot replace output file " + toUtf8(m_root + item.relative));
    m_pending.erase(m_pending.begin());
  }
  for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
    finishFolder(m_root + (*it)->relative, (*it)->metadata);
}

void ExtractCallback::abandon() {
  discardCurrent();
  for (const ArchiveItem* item : m_pending) removeFile(m_root + item->tempRelative);
  m_pending.clear();
}

HResult ExtractCallback::fail(std::string message) {
  if (m_error.empty()) m_error = std::move(message);
  return kAbort;
}

HResult ExtractCallback::open(Sink sink, ISequentialOutStream** stream) {
  m_sink = sink;
  m_stream.AddRef();
  *stream = &m_stream;
  return kOk;
}

void ExtractCallback::discardCurrent() {
  if (!m_file.isOpen()) return;
  m_file.abandon();
  removeFile(m_root + m_current->tempRelative);
}

// Creates the first `count` folders of the item's path, refusing any that is taken by
// a file or a link.
bool ExtractCallback::makeFolders(const ArchiveItem& item, std::size_t count) {
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
