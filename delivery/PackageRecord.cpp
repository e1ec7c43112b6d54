#include "PackageRecord.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "FileSystem.h"
#include "ResponseHead.h"

namespace {

// The record of the package file `package` ("./kvr/kvr.7z" -> "./kvr/kvr.7z.resume").
std::string packageRecordPath(const std::string& package) { return package + kPackageRecordSuffix; }

}  // namespace

bool parsePackageRecord(const std::string& text, PackageRecord& record) {
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  if (!document.is_object()) return false;
  const auto url = document.find("url");
  const auto validator = document.find("validator");
  const auto size = document.find("size");
  const auto complete = document.find("complete");
  if (url == document.end() || !url->is_string() || validator == document.end() || !validator->is_string() ||
      size == document.end() || !size->is_number_integer() || complete == document.end() || !complete->is_boolean())
    return false;
  PackageRecord read;
  read.url = url->get<std::string>();
  read.validator = validator->get<std::string>();
  read.size = size->get<std::int64_t>();
  read.complete = complete->get<bool>();
  // A validator goes back to the server in a header: one that could carry another
  // header is no record of ours.
  if (!isUsableValidator(read.validator)) return false;
  record = std::move(read);
  return true;
}

std::string packageRecordText(const PackageRecord& record) {
  const nlohmann::json document = {
      {"url", record.url}, {"validator", record.validator}, {"size", record.size}, {"complete", record.complete}};
  // Odd bytes in a server's validator become U+FFFD: that record then matches no
  // response and the transfer starts over, which is safe.
  return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool readPackageRecord(const std::string& package, PackageRecord& record) {
  const std::optional<std::string> text = readWholeFile(packageRecordPath(package));
  return text && parsePackageRecord(*text, record);
}

bool writePackageRecord(const std::string& package, const PackageRecord& record) {
  const std::string text = packageRecordText(record);
  // A record is replaced whole: one cut off half-way would describe no file.
  return writeWholeFile(packageRecordPath(package), std::string_view(text), kPackageRecordAsideSuffix);
}

void removePackageRecord(const std::string& package) { std::remove(packageRecordPath(package).c_str()); }
