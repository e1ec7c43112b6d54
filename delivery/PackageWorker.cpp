#include "PackageWorker.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "Bit7z.h"
#include "DownloadEngine.h"
#include "ExtractPackage.h"
#include "LauncherFiles.h"
#include "LowSpeedFloor.h"
#include "Logger.h"
#include "TextConvert.h"

std::atomic<bool> g_downloadFinished{false};
std::atomic<int32_t> m_ulnow{0};
std::atomic<int32_t> m_ultotal{0};

CURLcode downloadPackage(CURL* handle, const std::string& url, const std::string& path) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) {
    logLine(LOG_INFO, "download cannot open package file:", path);
    return CURLE_WRITE_ERROR;
  }
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnDownloadWrite);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnDownloadProgress);
  LowSpeedFloor floor(kPackageLowSpeedBytesPerSecond, kPackageLowSpeedSeconds);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &floor);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kPackageConnectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, kPackageLowSpeedBytesPerSecond);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kPackageLowSpeedSeconds);
  // libcurl's default 16 KiB receive buffer costs a tenth of the transfer time on a
  // fast link; the curl program uses 100 KiB too.
  curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kPackageBufferBytes);
  CURLcode code = curl_easy_perform(handle);
  if (fclose(file) != 0 && code == CURLE_OK) code = CURLE_WRITE_ERROR;
  // The handle outlives this call: leave no pointer to the closed file behind.
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, nullptr);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, stdout);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, nullptr);
  return code;
}

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

size_t OnDownloadWrite(char* data, size_t size, size_t count, void* stream) {
  return fwrite(data, size, count, static_cast<FILE*>(stream));
}

int OnDownloadProgress(void* context, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
  m_ultotal = static_cast<int32_t>(static_cast<double>(dltotal) / 1000.0);
  m_ulnow = static_cast<int32_t>(static_cast<double>(dlnow) / 1000.0);
  // A trickle below the floor ends the transfer (as "aborted by callback").
  auto* floor = static_cast<LowSpeedFloor*>(context);
  return floor != nullptr && floor->tooSlow(dlnow, std::chrono::steady_clock::now()) ? 1 : 0;
}

unsigned DownloadThreadProc(const DownloadConfig& config, IPackageWorkerUi& ui) {
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
  } else if (engine.sharedHandle != nullptr) {
    code = downloadPackage(engine.sharedHandle, url, package);
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
    } catch (const BitException& error) {
      logLine(LOG_INFO, error.what());
      printf("%s\n", error.what());
      ui.showWarningBox(kDownloadErrorText, kDownloadErrorCaption);
    }
  }
  g_downloadFinished = true;
  return 1;
}
