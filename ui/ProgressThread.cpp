#include "ui/ProgressThread.h"

#include <chrono>
#include <thread>

#include "delivery/PackageWorker.h"
#include "util/Logger.h"

unsigned ProgressThreadProc(IProgressBarUi& bar, const ProgressPauses& pauses) {
  std::this_thread::sleep_for(pauses.firstSample);
  bool transferRangeSet = false;
  bool transferDone = false;
  bool installRangeSet = false;
  for (;;) {
    // Read before the sample: a sample taken after the worker's end is the last one.
    const bool workerEnded = g_downloadFinished;
    const int32_t installed = g_installProgress;
    const int32_t nNow = m_ulnow;
    const int32_t nTotal = m_ultotal;
    if (!transferDone && nNow != 0 && nTotal != 0) {
      // Once installing has started the bar is the extraction's; the line is still logged.
      if (installed < 0) {
        if (!transferRangeSet && !bar.setRange(0, nTotal)) return 1;
        transferRangeSet = true;
        if (!bar.setPos(nNow)) return 1;
      }
      logLine(LOG_INFO, "m_ulnow:", nNow, ",m_ultotal:", nTotal);
      transferDone = nNow == nTotal;
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
