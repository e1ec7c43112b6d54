// The reports of a first start, one by one, against the collector of string 154: the
// report connection opened while the configuration (string 155) is fetched, as the
// launcher does, then "launch_start" and the eight reports after it in the launcher's
// order, each waited for so that its own exchange is timed.
//   kvr_reports_bench
// Prints the configuration fetch, each report and the total of the reports, in ms.
#include <chrono>
#include <cstdio>
#include <string>

#include "CfgCheck.h"
#include "DownloadEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  DownloadEngine& engine = DownloadEngine::instance();
  auto start = Clock::now();
  engine.prepare("launch_start");
  DownloadConfig config;
  if (CfgCheck(config) != ConfigOutcome::Ready) {
    std::fprintf(stderr, "the configuration fetch failed\n");
    return 1;
  }
  std::printf("configuration %.1f\n", msSince(start));
  const char* const kFirstStart[] = {"launch_start", "web_load",   "web_load",   "download_start", "download_end",
                                     "decode_start", "decode_end", "game_start", "close launch"};
  double total = 0;
  for (const char* type : kFirstStart) {
    start = Clock::now();
    engine.report(type);
    const double ms = msSince(start);
    total += ms;
    std::printf("report %s %.1f\n", type, ms);
  }
  std::printf("reports total %.1f, connections %ld\n", total, engine.connectionsOpened());
  return 0;
}
