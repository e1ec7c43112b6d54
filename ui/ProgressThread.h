// The progress thread: polls the package worker's transfer and extraction counters and
// moves the bar.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// What the progress thread asks of the window; each call is carried out on the UI
// thread. False once the window is gone.
class IProgressBarUi {
 public:
  virtual ~IProgressBarUi() = default;
  virtual bool setRange(int32_t nLower, int32_t nUpper) = 0;
  // Sets the position and has the bar repaint itself at once.
  virtual bool setPos(int32_t nPos) = 0;
  // The download's share, speed and time left beside the bar; empty shows nothing.
  virtual bool setProgressText(const std::wstring& text) = 0;
};

// When the progress thread samples the counters; tests shorten them.
struct ProgressPauses {
  std::chrono::milliseconds firstSample{1000};
  std::chrono::milliseconds period{200};
};

// After the first pause, then every period: while the transfer runs and both counters are non-zero,
// the first sample sets the range 0 … m_ultotal, each sample moves the bar to m_ulnow
// and logs it, until m_ulnow reaches m_ultotal. Meanwhile the text beside the bar
// (downloadProgressText over a DownloadMeter of the samples) changes about once a second,
// and is taken away as soon as the download has ended. Once the extraction has started
// (g_installProgress ≥ 0), the range is 0 … kInstallProgressFull and the bar follows
// the extraction, unlogged. Ends after the sample taken once the worker has ended
// (g_downloadFinished), or when the window is gone. Returns 1.
unsigned ProgressThreadProc(IProgressBarUi& bar, const ProgressPauses& pauses = {});
