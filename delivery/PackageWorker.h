// The package worker: downloads a missing game package, extracts it into the game
// folder, reports its four events and finally raises g_downloadFinished.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "CfgCheck.h"
#include "LowSpeedFloor.h"
#include "PackageTransfer.h"

// Raised once the package work has ended, on every path; never lowered.
extern std::atomic<bool> g_downloadFinished;
// Transfer counters in thousands of bytes, written by the worker's progress callback
// and polled by the window's progress thread.
extern std::atomic<int32_t> m_ulnow;
extern std::atomic<int32_t> m_ultotal;

// What the worker asks of the window. Both calls are carried out on the UI thread
// while the worker waits; the UI thread never waits for the worker.
class IPackageWorkerUi {
 public:
  virtual ~IPackageWorkerUi() = default;
  // Hides the status label, replaces its text and shows it again.
  virtual void setStatusText(const std::wstring& text) = 0;
  // An ownerless warning box; returns when the player has dismissed it.
  virtual void showWarningBox(const std::wstring& text, const std::wstring& caption) = 0;
};

inline constexpr wchar_t kStatusInstalling[] = L"正在安装...";
inline constexpr wchar_t kStatusInstalled[] = L"下载完成";
inline constexpr wchar_t kDownloadErrorText[] = L"下载出错请重新打开";
inline constexpr wchar_t kDownloadErrorCaption[] = L"提示";
inline constexpr wchar_t kDiskSpaceText[] = L"磁盘空间不足，请清理后重新打开";

// Time limits of the package transfer: a dead or stalled host ends it as a failure.
inline constexpr long kPackageConnectTimeoutSeconds = 10;
// A response slower than 1 KiB/s on average over 20 s (less than 20 KiB in 20 s) ends
// that attempt as a stall, which is retried like one (PackageTransfer.h): a host that
// trickles at every attempt ends the transfer as a failure after the attempts and
// pauses of kPackageRetryPauses, 5 x 20 s + 15 s, about 2 minutes.
inline constexpr long kPackageLowSpeedSeconds = 20;
inline constexpr long kPackageLowSpeedBytesPerSecond = 1024;
inline constexpr long kPackageBufferBytes = 100 * 1024;

// The worker's body for the package described by `config`; returns 1.
unsigned DownloadThreadProc(const DownloadConfig& config, IPackageWorkerUi& ui);

// The same with the pauses before each further attempt of a failed transfer
// (DownloadThreadProc: kPackageRetryPauses).
unsigned runPackageWorker(const DownloadConfig& config, IPackageWorkerUi& ui, const RetryPauses& pauses);

// The transfer's write callback: writes the block to the package file. A short count
// (a full disk) ends the transfer with a write error.
size_t OnDownloadWrite(char* data, size_t size, size_t count, void* file);

// Where the current response's bytes sit in the whole package: the progress callback's
// context. Responses that carry no package bytes (error pages) leave the counters alone.
struct TransferProgress {
  curl_off_t offset = 0;
  bool counting = true;
  LowSpeedFloor* floor = nullptr;  // the response's low-speed floor; none: no floor
};

// The transfer's progress callback (libcurl's current form; its older double form is
// deprecated): stores the whole package's sizes in thousands of bytes, the response's
// own figures moved by the context's offset (none: by nothing); returns 0, or 1 (ending
// the transfer with CURLE_ABORTED_BY_CALLBACK) when the context's floor says the
// response has fallen below it. The total stays 0 while the server has not announced a
// size.
int OnDownloadProgress(void* context, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);

// True when `name` is a plain file name: not empty, no folder part, no drive, not "." or "..".
bool isPlainFileName(const std::string& name);
