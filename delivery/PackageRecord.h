// What identifies a kept package file, in a small record beside it, so that a later
// transfer of the same address can ask only for the rest, or for nothing at all.
#pragma once

#include <cstdint>
#include <string>

struct PackageRecord {
  std::string url;         // the address the bytes came from
  std::string validator;   // the server's strong ETag, else its Last-Modified date
  std::int64_t size = -1;  // the whole package in bytes; -1 while the server has not said
  bool complete = false;   // every byte is in the file (and passed the checks given)
};

// What the record's name adds to the package's, and the record's copy in writing to
// the record's.
inline constexpr char kPackageRecordSuffix[] = ".resume";
inline constexpr char kPackageRecordAsideSuffix[] = ".tmp";

// The record as its file holds it, and back: false (and `record` untouched) when `text`
// is no record, or one whose validator could not be sent back as it is.
std::string packageRecordText(const PackageRecord& record);
bool parsePackageRecord(const std::string& text, PackageRecord& record);

// Reads the record of `package`; false (and `record` untouched) when there is none
// or it cannot be read as one.
bool readPackageRecord(const std::string& package, PackageRecord& record);

// Replaces the record of `package` as a whole (written aside, then renamed).
bool writePackageRecord(const std::string& package, const PackageRecord& record);

void removePackageRecord(const std::string& package);
