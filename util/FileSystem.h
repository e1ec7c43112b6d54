// Files and folders as the launcher needs them, in one place for every part of it.
// Paths are narrow text (the ANSI code page on Windows, UTF-8 on Linux) handed to the
// system as they are. Two kinds of name may hold characters no code page has: a
// folder chain also takes wide text (names out of an archive), and the running
// executable and the desktop folder come as std::filesystem::path in the system's
// own form (wide on Windows, bytes on Linux), never converted on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

bool isDirectory(const std::string& path);

// True when `path` is a regular file (links followed). Never throws: no conversion
// of the path depends on the locale.
bool isRegularFile(const std::string& path);

// True when the file names `a` and `b` (no folder part) name the same file in one
// folder: the same bytes on Linux; on Windows regardless of letter case and of
// trailing dots and blanks, which the file system drops.
bool sameFileName(const std::string& a, const std::string& b);

// Creates `path` and every missing folder above it, at the platform's separators
// ("/"; on Windows also "\"); links on the way are followed (a caller's own folder may
// live behind one). True when `path` is a folder afterwards; an empty path is the
// current folder.
bool makeFolderChain(const std::string& path);
bool makeFolderChain(const std::wstring& path);

// Writes all `size` bytes to the open `file` (a descriptor on Linux, a HANDLE on
// Windows), going on after short writes and interrupted calls; false on an error,
// with the platform's error code kept.
bool writeAll(std::intptr_t file, const void* data, std::size_t size);

// What a whole-file write adds to the file's name while the content is incomplete.
inline constexpr char kWritingSuffix[] = ".part";

// Writes `bytes` to `file` under a temporary name (`file` + `writingSuffix`), flushed
// to the disk, then renamed over `file`, so that `file` never exists with partial
// content; a leftover of an earlier attempt is replaced, a read-only `file` too. A
// failed write leaves neither name behind it. `executable` makes the file runnable
// where the platform marks that on the file.
bool writeWholeFile(const std::string& file, std::span<const unsigned char> bytes, bool executable = false,
                    std::string_view writingSuffix = kWritingSuffix);

// The same for text (a record, a journal), never executable.
bool writeWholeFile(const std::string& file, std::string_view text, std::string_view writingSuffix = kWritingSuffix);

// The whole content of `file`; nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& file);

// The running executable's full path; empty when it cannot be read.
std::filesystem::path executableFile();

// A path as narrow text, for logs and names (Windows: the ANSI code page).
std::string narrowPath(const std::filesystem::path& path);

// The running executable's path as narrow text.
inline std::string executablePath() { return narrowPath(executableFile()); }

// Copies `from` to `to` unless `to` exists, which is never overwritten. A failed copy
// leaves no file: a partial one would pass for the original. Linux keeps the mode.
bool copyFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// The user's desktop folder, looked up and never created (Windows: the shell's;
// Linux: $XDG_DESKTOP_DIR, else $HOME/Desktop, when that is a folder); nothing when
// there is none.
std::optional<std::filesystem::path> desktopFolder();

// The process's current folder as narrow text (empty when it cannot be read).
std::string currentDirectory();
