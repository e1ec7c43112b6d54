#include "PackageWorker.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "Bit7z.h"
#include "DownloadEngine.h"
#include "ExtractPackage.h"
#include "LauncherFiles.h"
#include "Logger.h"
#include "TextConvert.h"

std::atomic<bool> g_downloadFinished{false};
std::atomic<int32_t> m_ulnow{0};
std::atomic<int32_t> m_ultotal{0};

namespace {

// True when `name` is a plain file name: not empty, no folder part, no drive, not "." or "..".
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

}  // namespace

unsigned DownloadThreadProc(const DownloadConfig& config, IPackageWorkerUi& ui) {
  return runPackageWorker(config, ui, kPackageRetryPauses);
}

unsigned runPackageWorker(const DownloadConfig& config, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits) {
  DownloadEngine& engine = DownloadEngine::instance();
  engine.report("download_start");
  logLine(LOG_INFO, "download start");
  const std::string url = config.m_strGamePath;

  CURLcode code = CURLE_FAILED_INIT;
  const std::string& package = config.m_strPackageName;
  const bool inPackageFolder = package.rfind(kPackageFolder, 0) == 0;
  if (!inPackageFolder || !isPlainFileName(package.substr(sizeof kPackageFolder - 1))) {
    // The name comes from the network: it must not place the file outside ./kvr/.
    logLine(LOG_INFO, "download refused, packageName is not a plain file name:", package);
  } else if (isLauncherFileName(package.substr(sizeof kPackageFolder - 1), config.m_strPath)) {
    // Written over the codec library, the package would be loaded into the launcher.
    logLine(LOG_INFO, "download refused, packageName names a file the launcher keeps:", package);
  } else {
    // The counters the window's progress thread polls, in thousands of bytes.
    const auto counters = [](std::int64_t now, std::int64_t total) {
      m_ultotal = static_cast<int32_t>(static_cast<double>(total) / 1000.0);
      m_ulnow = static_cast<int32_t>(static_cast<double>(now) / 1000.0);
    };
    code = transferPackage(url, package,
                           {PackageCheck{config.m_nPackageSize, config.m_strPackageSha256}, counters, pauses, limits});
    printf("download CURLcode:%d\n", static_cast<int>(code));
  }
  logLine(LOG_INFO, "download end");
  engine.report("download_end");

  if (code != CURLE_OK) {
    // A failed download is shown like a failed installation, so the player knows to start again.
    ui.showWarningBox(kDownloadErrorText, kDownloadErrorCaption);
  } else {
    try {
      ui.setStatusText(kStatusInstalling);
      engine.report("decode_start");
      logLine(LOG_INFO, "7z decode start");
      const Bit7zLibrary library(kCodecLibraryPath);
      const BitExtractor extractor(library, BitFormat::SevenZip);
      const std::wstring wszPackage = FromAnsi(package);
      const std::wstring wszPath = FromAnsi(config.m_strPath);
      logLine(LOG_INFO, " packageName:", package, ", path:", config.m_strPath);
      ExtractPackage(extractor, wszPackage, wszPath);
      RequireGameExecutable(wszPath);
      engine.report("decode_end");
      logLine(LOG_INFO, "7z decode end");
      std::this_thread::sleep_for(std::chrono::milliseconds(2000));
      ui.setStatusText(kStatusInstalled);
      logLine(LOG_INFO, "7z decode end2");
    } catch (const BitNotEnoughSpace& error) {
      logLine(LOG_INFO, error.what());
      printf("%s\n", error.what());
      ui.showWarningBox(kDiskSpaceText, kDownloadErrorCaption);
    } catch (const BitException& error) {
      logLine(LOG_INFO, error.what());
      printf("%s\n", error.what());
      ui.showWarningBox(kDownloadErrorText, kDownloadErrorCaption);
    }
  }
  g_downloadFinished = true;
  return 1;
}
