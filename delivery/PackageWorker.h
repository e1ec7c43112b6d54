// The package worker: brings the game package in when the game is missing, damaged or
// outdated, extracts it, keeps the install record, reports its four events and finally
// raises g_downloadFinished.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "CfgCheck.h"
#include "GamePlan.h"
#include "PackageTransfer.h"

// Raised once the package work has ended, on every path; never lowered.
extern std::atomic<bool> g_downloadFinished;
// For a player who closes the window while the game downloads: true when the worker is
// transferring the package (the transfer may be stopped), false before and after it.
bool packageTransferUnderWay();
// Stops the transfer under way within about a second; the partial package and its record
// stay for the next start to resume, nothing is extracted and no box is shown. False
// when no transfer is under way any more (the work may be extracting: it must not stop).
bool stopPackageTransfer();

// Transfer counters in thousands of bytes, written by the worker's progress callback
// and polled by the window's progress thread.
extern std::atomic<int32_t> m_ulnow;
extern std::atomic<int32_t> m_ultotal;
// The extraction's progress in thousandths (kInstallProgressFull when done): -1 until the
// extraction starts, then written by the worker and polled by the progress thread.
extern std::atomic<int32_t> g_installProgress;
inline constexpr int32_t kInstallProgressFull = 1000;

// What the worker asks of the window. Both calls are carried out on the UI thread
// while the worker waits; the UI thread never waits for the worker.
class IPackageWorkerUi {
 public:
  virtual ~IPackageWorkerUi() = default;
  // Hides the status label, replaces its text and shows it again. The label always says
  // what is happening: downloading, retrying, installing, done, or what failed.
  virtual void setStatusText(const std::wstring& text) = 0;
  // An ownerless warning box; returns when the player has dismissed it.
  virtual void showWarningBox(const std::wstring& text, const std::wstring& caption) = 0;
};

inline constexpr wchar_t kStatusDownloading[] = L"下载中";
// The label's slot before the bar holds five characters: the states and failures
// below are short forms. While a failed transfer waits to try again, until bytes come in.
inline constexpr wchar_t kStatusRetrying[] = L"网络重连中";
// What failed, once the work has ended: beside the box and after it.
inline constexpr wchar_t kStatusDownloadFailed[] = L"下载出错";
inline constexpr wchar_t kStatusInstallFailed[] = L"安装出错";
inline constexpr wchar_t kStatusNoSpace[] = L"空间不足";
inline constexpr wchar_t kStatusInstalling[] = L"正在安装...";
inline constexpr wchar_t kStatusInstalled[] = L"下载完成";
inline constexpr wchar_t kDownloadErrorText[] = L"下载出错请重新打开";
inline constexpr wchar_t kDownloadErrorCaption[] = L"提示";
inline constexpr wchar_t kDiskSpaceText[] = L"磁盘空间不足，请清理后重新打开";

// The worker's body for the game described by `config`, doing what `plan` says
// (planGameWork): an install, a repair or an update; returns 1.
unsigned DownloadThreadProc(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui);

// How long the installed text waits after a successful extraction.
inline constexpr std::chrono::milliseconds kInstalledTextPause{2000};

// The same with the transfer's pauses and limits and the installed text's pause
// (DownloadThreadProc: kPackageRetryPauses, kPackageTransferLimits, kInstalledTextPause),
// and, without a plan, the one planGameWork makes.
unsigned runPackageWorker(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits = kPackageTransferLimits,
                          std::chrono::milliseconds installedPause = kInstalledTextPause);
unsigned runPackageWorker(const DownloadConfig& config, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits = kPackageTransferLimits,
                          std::chrono::milliseconds installedPause = kInstalledTextPause);
