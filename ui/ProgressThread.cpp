#include "ui/ProgressThread.h"

#include <chrono>
#include <thread>

#include "delivery/PackageWorker.h"
#include "ui/DownloadMeter.h"
#include "util/Logger.h"

unsigned ProgressThreadProc(IProgressBarUi& bar, const ProgressPauses& pauses) {
  using Clock = DownloadMeter::Clock;
  // A new text goes out at the sample nearest to a second after the last one.
  const auto textPeriod = std::chrono::milliseconds(1000) - pauses.period / 2;
  std::this_thread::sleep_for(pauses.firstSample);
  bool transferRangeSet = false;
  bool transferDone = false;
  bool installRangeSet = false;
  DownloadMeter meter;
  std::wstring shownText;
  Clock::time_point shownAt;
  for (;;) {
    // Read before the sample: a sample taken after the worker's end is the last one.
    const bool workerEnded = g_downloadFinished;
    const int32_t installed = g_installProgress;
    const int32_t nNow = m_ulnow;
    const int32_t nTotal = m_ultotal;
    bool sampled = false;
    if (!transferDone && nNow != 0 && nTotal != 0) {
      // Once installing has started the bar is the extraction's; the line is still logged.
      if (installed < 0) {
        if (!transferRangeSet && !bar.setRange(0, nTotal)) return 1;
        transferRangeSet = true;
        if (!bar.setPos(nNow)) return 1;
        sampled = true;
      }
      logLine(LOG_INFO, "m_ulnow:", nNow, ",m_ultotal:", nTotal);
      transferDone = nNow == nTotal;
    }
    if (transferDone || installed >= 0 || workerEnded) {
      if (!shownText.empty() && !bar.setProgressText({})) return 1;
      shownText.clear();
    } else if (sampled) {
      // The counters are in thousands of bytes.
      const std::int64_t bytes = std::int64_t{nNow} * 1000;
      const std::int64_t total = std::int64_t{nTotal} * 1000;
      const Clock::time_point now = Clock::now();
      meter.add(now, bytes);
      if (shownText.empty() || now - shownAt >= textPeriod) {
        const std::wstring text = downloadProgressText(bytes, total, meter.bytesPerSecond(), meter.secondsLeft(total));
        if (text != shownText) {
          if (!bar.setProgressText(text)) return 1;
          shownText = text;
          shownAt = now;
        }
      }
    }
    if (installed >= 0) {
      if (!installRangeSet && !bar.setRange(0, kInstallProgressFull)) return 1;
      installRangeSet = true;
      if (!bar.setPos(installed)) return 1;
    }
    // A stopped transfer, or one of unknown size, never completes: the worker's end does.
    if (workerEnded) return 1;
    std::this_thread::sleep_for(pauses.period);
  }
}
