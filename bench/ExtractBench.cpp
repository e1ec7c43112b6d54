// One run of our extraction, timed by run-extract-bench.sh exactly like its peer 7z:
//   kvr_extract_bench test ARCHIVE          decode and check every item, writing nothing
//   kvr_extract_bench extract ARCHIVE DST   the launcher's extraction into DST
// The codec library is KVR_CODEC_LIBRARY, else the one 7z itself loads.
#include "Bit7z.h"
#include "ExtractPackage.h"
#include "Utf8.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (!((mode == "test" && argc == 3) || (mode == "extract" && argc == 4))) {
    std::fprintf(stderr, "usage: %s test ARCHIVE | extract ARCHIVE DST\n", argv[0]);
    return 2;
  }
  const char* codec = std::getenv("KVR_CODEC_LIBRARY");
  try {
    Bit7zLibrary library(fromUtf8(codec != nullptr ? codec : "/usr/lib/p7zip/7z.so"));
    BitExtractor extractor(library, BitFormat::SevenZip);
    if (mode == "test")
      extractor.test(fromUtf8(argv[2]));
    else
      ExtractPackage(extractor, fromUtf8(argv[2]), fromUtf8(argv[3]));
  } catch (const BitException& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
