// The extraction plan: where each item of an archive goes below the output folder,
// decided for the whole archive before anything is written. The codec library is not
// needed: the items come in as the archive describes them.
#pragma once

#include "ExtractFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ArchiveItem {
  // As the archive describes it.
  std::wstring rawPath;
  bool skip = false;  // a deletion mark ("anti-item"): nothing is written for it
  bool isFolder = false;
  std::uint64_t size = 0;
  std::optional<std::uint32_t> crc;  // of the content, where the archive stores one
  ItemMetadata metadata;

  // Set by planExtraction.
  std::vector<std::wstring> parts;
  std::wstring relative;      // parts joined by the separator
  std::wstring tempRelative;  // where the file is written before it is complete
  bool isLink = false;        // a Unix symbolic link: its content is the target
  bool isFinal = false;       // written only after every other item
};

// Plans every item of `items` (all but skipped ones), with paths joined by `separator`.
// `finalItem` names a file at the archive's top level (compared without case) that
// appears only after every other item has been written. Throws BitException naming
// the first item whose path leaves the output folder, then the first one that would be
// written through a file or a link of the archive.
void planExtraction(std::vector<ArchiveItem>& items, std::wstring_view finalItem, wchar_t separator);

// The item's path below the output folder as records keep it: UTF-8, parts joined by '/'.
std::string recordedPath(const ArchiveItem& item);

// A path or name as the layer's messages quote it (UTF-8).
std::string quotedPath(const std::wstring& path);

// The bytes the files of the plan take.
std::uint64_t plannedBytes(const std::vector<ArchiveItem>& items);
