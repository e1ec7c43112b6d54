// Files and folders as the extraction needs them. Paths are wide text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Separator put between the output folder and an item's path components.
extern const wchar_t kPathSeparator;

// The archive, read and seeked by the codec library.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool open(const std::wstring& path);
  // Reads up to `size` bytes; `done` is 0 at the end of the file.
  bool read(void* data, std::uint32_t size, std::uint32_t& done);
  // origin: 0 from the start, 1 from the current position, 2 from the end.
  bool seek(std::int64_t offset, std::uint32_t origin, std::uint64_t& position);

 private:
  std::intptr_t m_file = -1;
};

// What an archive stores for a file or folder, applied where present. `attributes`
// are Windows attributes, with the Unix mode in the high 16 bits when bit 0x8000 is set.
struct ItemMetadata {
  std::optional<std::uint64_t> modified;  // FILETIME: 100 ns units since 1601
  std::optional<std::uint32_t> attributes;
};

// A new file, written once. Nothing is followed: an existing file, link or stale
// leftover at the path is removed first and the file is created anew.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool create(const std::wstring& path);
  bool write(const void* data, std::uint32_t size);
  // Applies `metadata` and closes; false when the file could not be completed.
  bool finish(const ItemMetadata& metadata);
  // Closes an unfinished file; the caller removes it.
  void abandon();
  bool isOpen() const { return m_file != -1; }

 private:
  std::intptr_t m_file = -1;
  std::wstring m_path;
};

// Creates one folder below the output folder; true when it is a real folder afterwards,
// false when the path is taken by a file or a link.
bool makeItemFolder(const std::wstring& path);

// Applies `metadata` to a folder whose content is complete.
void finishFolder(const std::wstring& path, const ItemMetadata& metadata);

// Moves `from` over `to`, replacing a file (also a read-only one) that is there.
bool replaceFile(const std::wstring& from, const std::wstring& to);

// Removes a file or a link (never what it points to); true when nothing is left.
bool removeFile(const std::wstring& path);

// True when `path` is a regular file (links followed).
bool isRegularFileAt(const std::wstring& path);

// The size of the regular file at `path` (links followed); nothing when there is none.
std::optional<std::uint64_t> regularFileSize(const std::wstring& path);

// Removes the folder `path` with everything in it (links are removed, never followed,
// read-only files too); true when nothing is left.
bool removeFolderTree(const std::wstring& path);

// Free bytes for this user on the volume of `path`, or of its nearest existing parent
// folder when it does not exist yet; nothing when that cannot be learnt.
std::optional<std::uint64_t> freeSpace(const std::wstring& path);
