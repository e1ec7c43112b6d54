#include "InstallRecord.h"

#include <charconv>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "ControlCharacters.h"
#include "ExtractFiles.h"
#include "FileSystem.h"
#include "InstallLayout.h"
#include "ItemPath.h"
#include "TextConvert.h"
#include "Sha256.h"
#include "Utf8.h"

namespace {

constexpr std::string_view kHeader = "kvr install record 1";
// A record beyond this is no record of ours (10 000 files take about 1 MB).
constexpr std::size_t kRecordMaxBytes = 64 * 1024 * 1024;

// The tab-separated fields of `line`.
std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return parts;
    start = tab + 1;
  }
}

template <typename Number>
bool readNumber(std::string_view text, Number& value, int base = 10) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

bool isHexDigest(std::string_view text) {
  if (text.size() != 64) return false;
  for (const char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace

bool isRecordablePath(std::string_view path) {
  if (path.empty() || hasControlCharacter(path)) return false;
  const std::wstring wide = fromUtf8(std::string(path));
  const auto parts = safeComponents(wide, kPathSeparator);
  if (!parts) return false;
  std::wstring joined;
  for (const auto& part : *parts) joined += (joined.empty() ? L"" : L"/") + part;
  return joined == wide;
}

std::string installRecordPath() { return std::string("./" KVR_DATA_FOLDER "/") + kInstallRecordFile; }

std::string installRecordText(const InstallRecord& record) {
  std::ostringstream text;
  text << kHeader << '\n';
  text << "version\t" << record.version << '\n';
  text << "package\t" << record.packageSize << '\t' << record.packageSha256 << '\t' << record.package << '\n';
  char crc[9];
  for (const InstalledFile& file : record.files) {
    if (file.crc) std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(*file.crc));
    text << "file\t" << file.size << '\t' << (file.crc ? crc : "-") << '\t' << file.path << '\n';
  }
  return text.str();
}

std::optional<InstallRecord> parseInstallRecord(std::string_view text) {
  if (text.size() > kRecordMaxBytes || text.empty() || text.back() != '\n') return std::nullopt;
  InstallRecord record;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size(); ++lineNumber) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::vector<std::string_view> parts = fields(line);
    if (lineNumber == 0) {
      if (line != kHeader) return std::nullopt;
    } else if (lineNumber == 1) {
      if (parts.size() != 2 || parts[0] != "version" || hasControlCharacter(parts[1])) return std::nullopt;
      record.version = parts[1];
    } else if (lineNumber == 2) {
      if (parts.size() != 4 || parts[0] != "package" || !readNumber(parts[1], record.packageSize) ||
          record.packageSize < 0 || !isHexDigest(parts[2]) || parts[3].empty() || hasControlCharacter(parts[3]))
        return std::nullopt;
      record.packageSha256 = parts[2];
      record.package = parts[3];
    } else {
      InstalledFile file;
      if (parts.size() != 4 || parts[0] != "file" || !readNumber(parts[1], file.size) || !isRecordablePath(parts[3]))
        return std::nullopt;
      if (parts[2] != "-") {
        std::uint32_t crc = 0;
        if (parts[2].size() != 8 || !readNumber(parts[2], crc, 16)) return std::nullopt;
        file.crc = crc;
      }
      file.path = parts[3];
      record.files.push_back(std::move(file));
    }
  }
  if (lineNumber < 3) return std::nullopt;
  return record;
}

std::optional<InstallRecord> readInstallRecord() {
  const std::optional<std::string> text = readWholeFile(installRecordPath());
  return text ? parseInstallRecord(*text) : std::nullopt;
}

bool writeInstallRecord(const InstallRecord& record) {
  return writeWholeFile(installRecordPath(), installRecordText(record));
}

std::wstring pathBelow(const std::wstring& folder, const std::string& path) {
  std::wstring full = folder.empty() ? std::wstring(L".") : folder;
  if (!isPathSeparator(full.back(), kPathSeparator)) full += kPathSeparator;
  for (const wchar_t c : fromUtf8(path)) full += c == L'/' ? kPathSeparator : c;
  return full;
}

std::vector<std::string> damagedFiles(const InstallRecord& record, const std::string& gameFolder) {
  const std::wstring folder = FromAnsi(gameFolder);
  std::vector<std::string> damaged;
  for (const InstalledFile& file : record.files)
    if (regularFileSize(pathBelow(folder, file.path)) != file.size) damaged.push_back(file.path);
  return damaged;
}

std::string sha256OfFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  Sha256 hash;
  if (!file || !hash.valid()) return {};
  std::vector<char> buffer(1 << 20);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    hash.update(buffer.data(), static_cast<std::size_t>(file.gcount()));
  }
  if (!file.eof()) return {};
  return hash.hexDigest();
}

bool isRecordedPackage(const InstallRecord& record, const std::string& package) {
  std::error_code error;
  const auto size = std::filesystem::file_size(package, error);
  return !error && static_cast<std::int64_t>(size) == record.packageSize &&
         sha256OfFile(package) == record.packageSha256;
}
