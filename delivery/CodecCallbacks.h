// Our objects that the codec library calls while it opens and extracts an archive:
// the archive's input stream, the open callback and the extract callback that carries
// out an extraction plan.
#pragma once

#include "CodecObject.h"
#include "ExtractFiles.h"
#include "ExtractPlan.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class InStream final : public CodecObject<sevenzip::IInStream> {
 public:
  explicit InStream(InputFile& file) : m_file(file) {}

  sevenzip::HResult KVR_COMCALL Read(void* data, std::uint32_t size, std::uint32_t* processed) override;
  sevenzip::HResult KVR_COMCALL Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* position) override;

 private:
  InputFile& m_file;
};

// No password is ever given; a request for one is remembered as the failure.
class OpenCallback final : public CodecObject<sevenzip::IArchiveOpenCallback, sevenzip::ICryptoGetTextPassword> {
 public:
  sevenzip::HResult KVR_COMCALL SetTotal(const std::uint64_t*, const std::uint64_t*) override { return sevenzip::kOk; }
  sevenzip::HResult KVR_COMCALL SetCompleted(const std::uint64_t*, const std::uint64_t*) override {
    return sevenzip::kOk;
  }
  sevenzip::HResult KVR_COMCALL CryptoGetTextPassword(sevenzip::Bstr*) override;

  bool passwordAsked() const { return m_passwordAsked; }

 private:
  bool m_passwordAsked = false;
};

class ExtractCallback;

// The one output stream; it hands every block to the callback's current item.
class OutStream final : public CodecObject<sevenzip::ISequentialOutStream> {
 public:
  explicit OutStream(ExtractCallback& owner) : m_owner(owner) {}

  sevenzip::HResult KVR_COMCALL Write(const void* data, std::uint32_t size, std::uint32_t* processed) override;

 private:
  ExtractCallback& m_owner;
};

// Writes the planned items below `root` as the library decodes them, in the archive's
// order; the final item and the folders' metadata wait for complete(). The first
// failure is kept as the message (error()) and aborts the library's run.
class ExtractCallback final : public CodecObject<sevenzip::IArchiveExtractCallback, sevenzip::ICryptoGetTextPassword> {
 public:
  // `root` is the output folder with its separator, empty when nothing is written.
  // `progress`, when set, hears the library's totals and completed bytes.
  ExtractCallback(const std::vector<ArchiveItem>& items, std::wstring root, bool writing,
                  std::function<void(std::uint64_t, std::uint64_t)> progress = {});
  ~ExtractCallback() { abandon(); }

  sevenzip::HResult KVR_COMCALL SetTotal(std::uint64_t total) override;
  sevenzip::HResult KVR_COMCALL SetCompleted(const std::uint64_t* completed) override;
  sevenzip::HResult KVR_COMCALL PrepareOperation(std::int32_t) override { return sevenzip::kOk; }
  sevenzip::HResult KVR_COMCALL CryptoGetTextPassword(sevenzip::Bstr*) override;
  sevenzip::HResult KVR_COMCALL GetStream(std::uint32_t index, sevenzip::ISequentialOutStream** stream,
                                          std::int32_t askMode) override;
  sevenzip::HResult KVR_COMCALL SetOperationResult(std::int32_t result) override;

  sevenzip::HResult write(const void* data, std::uint32_t size);

  // After a successful run: the final item takes its name, then folders get their
  // stored times and attributes, innermost first. Throws BitException.
  void complete();

  // Removes what an interrupted run leaves: the file being written and the final item.
  void abandon();

  const std::string& error() const { return m_error; }

 private:
  enum class Sink { None, File, Link, Discard };

  sevenzip::HResult fail(std::string message);
  sevenzip::HResult open(Sink sink, sevenzip::ISequentialOutStream** stream);
  void discardCurrent();
  bool makeFolders(const ArchiveItem& item, std::size_t count);

  const std::vector<ArchiveItem>& m_items;
  std::wstring m_root;
  bool m_writing;
  OutStream m_stream{*this};
  Sink m_sink = Sink::None;
  const ArchiveItem* m_current = nullptr;
  std::vector<const ArchiveItem*> m_pending;
  OutputFile m_file;
  std::string m_linkTarget;
  std::unordered_set<std::wstring> m_madeFolders;
  std::vector<const ArchiveItem*> m_folders;
  std::string m_error;
  std::function<void(std::uint64_t, std::uint64_t)> m_progress;
  std::uint64_t m_total = 0;
};
