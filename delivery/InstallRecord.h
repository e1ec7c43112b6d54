// What is installed in the game folder, in a record in the launcher's own folder: the
// version the configuration named, the package it came from and every file extracted
// from it. A quick look at the files' sizes against it finds a damaged game; an update
// knows from it which files the old version had.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Bit7z.h"

// Below the game folder, with the size and the CRC the package stores.
using InstalledFile = ExtractedFile;

struct InstallRecord {
  std::string version;  // the configuration's "version"; empty when it named none
  std::string package;  // the package file it came from ("./kvr/" + "packageName")
  std::int64_t packageSize = -1;
  std::string packageSha256;  // 64 lower-case hexadecimal digits
  std::vector<InstalledFile> files;
};

// The record's file: "./kvr/install.record", written aside under ".part" and renamed.
inline constexpr char kInstallRecordFile[] = "install.record";
std::string installRecordPath();

// True when `path` is one the extraction could have written and a record may hold:
// relative, parts joined by '/', nothing the item path rules refuse.
bool isRecordablePath(std::string_view path);

// The record as its file holds it, and back; nothing when `text` is no record of ours
// (any line out of place, a path that could leave the game folder, a control character).
std::string installRecordText(const InstallRecord& record);
std::optional<InstallRecord> parseInstallRecord(std::string_view text);

// The record on disk; nothing when there is none or it cannot be read as one.
std::optional<InstallRecord> readInstallRecord();
bool writeInstallRecord(const InstallRecord& record);

// The recorded files below `gameFolder` that are missing or not of their recorded size,
// from the files' metadata only (nothing is read).
std::vector<std::string> damagedFiles(const InstallRecord& record, const std::string& gameFolder);

// The SHA-256 of the file at `path` in hexadecimal; empty when it cannot be read.
std::string sha256OfFile(const std::string& path);

// True when the package file `package` is the one the record was made from (its size,
// then its SHA-256), so that files can be restored from it without a download.
bool isRecordedPackage(const InstallRecord& record, const std::string& package);

// `path` (a record's) below `folder`, as the archive layer takes paths.
std::wstring pathBelow(const std::wstring& folder, const std::string& path);
