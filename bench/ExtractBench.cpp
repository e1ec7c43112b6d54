// One run of our extraction, timed by run-extract-bench.sh exactly like its peer 7z:
//   kvr_extract_bench test ARCHIVE          decode and check every item, writing nothing
//   kvr_extract_bench extract ARCHIVE DST   the launcher's extraction into DST
// and what keeps the game whole and current (the install record in ./kvr/):
//   kvr_extract_bench repair ARCHIVE DST PATH   only the file PATH into DST
//   kvr_extract_bench update ARCHIVE DST        staged beside DST, then applied over it
//   kvr_extract_bench check DST ROUNDS          the quick check of every file below DST,
//                                               its median time printed in milliseconds
// The codec library is KVR_CODEC_LIBRARY, else the one 7z itself loads.
#include "Bit7z.h"
#include "ExtractPackage.h"
#include "GameUpdate.h"
#include "InstallRecord.h"
#include "Utf8.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Every file below `folder` as a record lists it.
InstallRecord recordOfFolder(const std::string& folder) {
  InstallRecord record;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      record.files.push_back({std::filesystem::relative(entry.path(), folder).generic_string(), entry.file_size(), {}});
  return record;
}

int check(const std::string& folder, int rounds) {
  const InstallRecord record = recordOfFolder(folder);
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    if (!damagedFiles(record, folder).empty()) return 1;
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%zu files checked in %.2f ms (median of %d)\n", record.files.size(), times[times.size() / 2], rounds);
  return 0;
}

void update(const BitExtractor& extractor, const std::string& archive, const std::string& folder) {
  UpdateJournal journal;
  journal.gameFolder = folder;
  const std::string staging = stagingFolder(folder);
  journal.next.packageSize = 0;
  journal.next.packageSha256 = std::string(64, '0');
  journal.next.package = archive;
  journal.next.files = extractor.extract(fromUtf8(archive), fromUtf8(staging), kGameExecutable);
  if (!writeUpdateJournal(journal) || !applyUpdate(journal)) throw BitException("the update was not applied");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "check" && argc == 4) return check(argv[2], std::atoi(argv[3]));
  if (!((mode == "test" && argc == 3) || ((mode == "extract" || mode == "update") && argc == 4) ||
        (mode == "repair" && argc == 5))) {
    std::fprintf(stderr,
                 "usage: %s test ARCHIVE | extract ARCHIVE DST | repair ARCHIVE DST PATH | update ARCHIVE DST |"
                 " check DST ROUNDS\n",
                 argv[0]);
    return 2;
  }
  const char* codec = std::getenv("KVR_CODEC_LIBRARY");
  try {
    Bit7zLibrary library(fromUtf8(codec != nullptr ? codec : "/usr/lib/p7zip/7z.so"));
    BitExtractor extractor(library, BitFormat::SevenZip);
    if (mode == "test") {
      extractor.test(fromUtf8(argv[2]));
    } else if (mode == "extract") {
      ExtractPackage(extractor, fromUtf8(argv[2]), fromUtf8(argv[3]));
    } else if (mode == "repair") {
      const std::vector<std::string> only = {argv[4]};
      extractor.extract(fromUtf8(argv[2]), fromUtf8(argv[3]), kGameExecutable, &only);
    } else {
      update(extractor, argv[2], argv[3]);
    }
  } catch (const BitException& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
