// One package transfer of the worker, timed by run-download-bench.sh next to curl:
//   kvr_download_bench URL FILE
// Streams URL into FILE exactly as the worker does (transferPackage with a progress
// callback) and prints one line:
//   result seconds S start T total U rss_before_kb A rss_peak_kb B peak_reset 1|0
// S is the transfer alone (its handle made, the file opened and closed), T the time to
// the first package byte the progress callback saw, U the same clock at the end, A the
// resident set just before it and B the highest resident set during it. The kernel's high-water mark is reset before
// the transfer where it allows; where it does not (peak_reset 0), B is the peak of the
// whole process so far, still an upper bound for the transfer.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "PackageTransfer.h"

namespace {

// A "Name:   123 kB" field of /proc/self/status, in kB; -1 when absent.
long statusKb(std::string_view field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.size() > field.size() && line.compare(0, field.size(), field) == 0 && line[field.size()] == ':')
      return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Writing 5 to clear_refs sets the peak resident set back to the current one.
bool resetPeakRss() {
  std::ofstream clearRefs("/proc/self/clear_refs");
  clearRefs << "5";
  clearRefs.flush();
  return static_cast<bool>(clearRefs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s URL FILE\n", argv[0]);
    return 2;
  }
  const bool peakReset = resetPeakRss();
  const long rssBefore = statusKb("VmRSS");
  const auto start = std::chrono::steady_clock::now();
  std::chrono::duration<double> firstByte{0};
  TransferOptions options;
  options.progress = [&](std::int64_t now, std::int64_t) {
    if (now > 0 && firstByte.count() == 0) firstByte = std::chrono::steady_clock::now() - start;
  };
  const CURLcode code = transferPackage(argv[1], argv[2], options);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  const long rssPeak = statusKb("VmHWM");
  if (code != CURLE_OK) {
    std::fprintf(stderr, "transfer failed: %s\n", curl_easy_strerror(code));
    return 1;
  }
  std::printf("result seconds %.6f start %.6f total %.6f rss_before_kb %ld rss_peak_kb %ld peak_reset %d\n",
              seconds.count(), firstByte.count(), seconds.count(), rssBefore, rssPeak, peakReset ? 1 : 0);
  return 0;
}
