// The package worker: brings the game package in when the game is missing, damaged or
// outdated, extracts it, keeps the install record, reports its four events and finally
// raises g_downloadFinished.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "CfgCheck.h"
#include "GamePlan.h"
#include "PackageTransfer.h"

// Raised once the package work has ended, on every path; never lowered.
extern std::atomic<bool> g_downloadFinished;
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

// The worker's body for the game described by `config`, doing what `plan` says
// (planGameWork): an install, a repair or an update; returns 1.
unsigned DownloadThreadProc(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui);

// The same with the transfer's pauses and limits (DownloadThreadProc: kPackageRetryPauses,
// kPackageTransferLimits), and, without a plan, the one planGameWork makes.
unsigned runPackageWorker(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits = kPackageTransferLimits);
unsigned runPackageWorker(const DownloadConfig& config, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits = kPackageTransferLimits);
