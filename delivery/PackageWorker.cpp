#include "PackageWorker.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "Bit7z.h"
#include "ControlCharacters.h"
#include "DownloadEngine.h"
#include "ExtractPackage.h"
#include "ExtractFiles.h"
#include "LauncherFiles.h"
#include "Logger.h"
#include "TextConvert.h"

std::atomic<bool> g_downloadFinished{false};
std::atomic<int32_t> m_ulnow{0};
std::atomic<int32_t> m_ultotal{0};
std::atomic<int32_t> g_installProgress{-1};

namespace {

// Where the worker stands for a close: the window asks the transfer to stop only while it
// runs, and the worker leaves the transfer only if no stop came first (one exchange each).
enum class TransferPhase { Other, Transferring, Stopping };
std::atomic<TransferPhase> s_transferPhase{TransferPhase::Other};

// True when `name` is a plain file name: not empty, no folder part, no drive, not "."
// or "..", no control character (the name is kept in the install record's lines).
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos &&
         !hasControlCharacter(name);
}

// The counters the window's progress thread polls, in thousands of bytes.
void showProgress(std::int64_t now, std::int64_t total) {
  m_ultotal = static_cast<int32_t>(static_cast<double>(total) / 1000.0);
  m_ulnow = static_cast<int32_t>(static_cast<double>(now) / 1000.0);
}

// The extraction's share done for the progress thread; a total of 0 tells nothing yet.
void showInstallProgress(std::uint64_t completed, std::uint64_t total) {
  if (total == 0) return;
  const double share = static_cast<double>(std::min(completed, total)) / static_cast<double>(total);
  g_installProgress = static_cast<int32_t>(share * kInstallProgressFull);
}

// The worker's run for one plan: the package brought in when the work needs it, then
// extracted into the game folder (install, repair) or beside it (update) and recorded.
class PackageWork {
 public:
  PackageWork(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui, const RetryPauses& pauses,
              const TransferLimits& limits)
      : m_config(config), m_plan(std::move(plan)), m_ui(ui), m_pauses(pauses), m_limits(limits) {}

  // libcurl's result; CURLE_OK also when no transfer was needed.
  CURLcode bringPackage() {
    const std::string& package = m_config.m_strPackageName;
    const bool inPackageFolder = package.rfind(kPackageFolder, 0) == 0;
    if (!inPackageFolder || !isPlainFileName(package.substr(sizeof kPackageFolder - 1))) {
      // The name comes from the network: it must not place the file outside ./kvr/.
      logLine(LOG_INFO, "download refused, packageName is not a plain file name:", package);
      return CURLE_FAILED_INIT;
    }
    if (isLauncherFileName(package.substr(sizeof kPackageFolder - 1), m_config.m_strPath)) {
      // Written over the codec library, the package would be loaded into the launcher.
      logLine(LOG_INFO, "download refused, packageName names a file the launcher keeps:", package);
      return CURLE_FAILED_INIT;
    }
    if (m_plan.work == GameWork::FinishUpdate) return CURLE_OK;
    // Damaged files come from the kept package while it is the recorded one.
    if (m_plan.work == GameWork::Repair && isRecordedPackage(*m_plan.record, package)) {
      m_sha256 = m_plan.record->packageSha256;
      showProgress(m_plan.record->packageSize, m_plan.record->packageSize);
      return CURLE_OK;
    }
    TransferOptions options;
    options.check = PackageCheck{m_config.m_nPackageSize, m_config.m_strPackageSha256};
    options.progress = [this](std::int64_t now, std::int64_t total) { onProgress(now, total); };
    options.retrying = [this] { onRetrying(); };
    options.stop = [] { return s_transferPhase == TransferPhase::Stopping; };
    options.pauses = m_pauses;
    options.limits = m_limits;
    options.sha256 = &m_sha256;
    options.noSpace = &m_noSpace;
    s_transferPhase = TransferPhase::Transferring;
    const CURLcode code = transferPackage(m_config.m_strGamePath, package, options);
    TransferPhase transferring = TransferPhase::Transferring;
    m_stopped = !s_transferPhase.compare_exchange_strong(transferring, TransferPhase::Other);
    s_transferPhase = TransferPhase::Other;
    printf("download CURLcode:%d\n", static_cast<int>(code));
    return code;
  }

  // True when the player stopped the transfer (closing the window): the package, whole
  // or not, waits for the next start.
  bool stopped() const { return m_stopped; }

  // True when the transfer ended for want of disk space.
  bool noSpace() const { return m_noSpace; }

  // Throws BitException.
  void extract(const BitExtractor& extractor) {
    const std::string& package = m_config.m_strPackageName;
    const std::wstring wszPackage = FromAnsi(package);
    const std::wstring wszPath = FromAnsi(m_config.m_strPath);
    switch (m_plan.work) {
      case GameWork::None:
      case GameWork::Install: record(ExtractPackage(extractor, wszPackage, wszPath)); return;
      case GameWork::Repair:
        if (m_sha256 != m_plan.record->packageSha256) {
          // The host serves another package than the recorded one: it is installed whole.
          record(ExtractPackage(extractor, wszPackage, wszPath));
          return;
        }
        restore(extractor, wszPackage, wszPath);
        return;
      case GameWork::Update: stageAndApply(extractor, wszPackage); return;
      case GameWork::FinishUpdate: apply(*m_plan.journal); return;
    }
  }

 private:
  // The transfer's callbacks, on this thread: the label says "retrying" from a failed
  // attempt until the package grows again (a resumed attempt starts where the last ended,
  // one that starts over from its first byte).
  void onProgress(std::int64_t now, std::int64_t total) {
    showProgress(now, total);
    if (m_retrying && now > 0 && now != m_retryFrom) {
      m_retrying = false;
      m_ui.setStatusText(kStatusDownloading);
    }
    m_lastNow = now;
  }
  void onRetrying() {
    m_retryFrom = m_lastNow;
    if (!m_retrying) m_ui.setStatusText(kStatusRetrying);
    m_retrying = true;
  }

  void record(const std::vector<ExtractedFile>& files) {
    RequireGameExecutable(FromAnsi(m_config.m_strPath));
    if (!writeInstallRecord(recordOf(files))) logLine(LOG_INFO, "install record not written");
  }

  InstallRecord recordOf(const std::vector<ExtractedFile>& files) const {
    InstallRecord record;
    record.version = m_config.m_strVersion;
    record.package = m_config.m_strPackageName;
    record.packageSize = static_cast<std::int64_t>(regularFileSize(FromAnsi(m_config.m_strPackageName)).value_or(0));
    record.packageSha256 = m_sha256.size() == 64 ? m_sha256 : sha256OfFile(m_config.m_strPackageName);
    record.files = files;
    return record;
  }

  // Only the damaged files, each as the record knows it.
  void restore(const BitExtractor& extractor, const std::wstring& wszPackage, const std::wstring& wszPath) {
    const std::vector<ExtractedFile> written = extractor.extract(wszPackage, wszPath, kGameExecutable, &m_plan.damaged);
    std::unordered_map<std::string_view, const InstalledFile*> recorded;
    for (const InstalledFile& file : m_plan.record->files) recorded.emplace(file.path, &file);
    for (const ExtractedFile& file : written) {
      const auto found = recorded.find(file.path);
      if (found != recorded.end() && (found->second->size != file.size || found->second->crc != file.crc))
        throw BitException("The package's '" + file.path + "' is not the recorded file");
    }
    RequireGameExecutable(wszPath);
  }

  // The new version whole beside the game folder, then moved in.
  void stageAndApply(const BitExtractor& extractor, const std::wstring& wszPackage) {
    const std::string staging = stagingFolder(m_config.m_strPath);
    const std::wstring wszStaging = FromAnsi(staging);
    if (!removeFolderTree(wszStaging) || !removeFolderTree(FromAnsi(replacedFolder(m_config.m_strPath))))
      throw BitException("Cannot clear the update folders beside " + m_config.m_strPath);
    UpdateJournal journal;
    try {
      journal.next = recordOf(ExtractPackage(extractor, wszPackage, wszStaging));
      RequireGameExecutable(wszStaging);
    } catch (const BitException&) {
      // The old game stays as it is; the half-staged version is no use to anyone.
      removeFolderTree(wszStaging);
      throw;
    }
    journal.gameFolder = m_config.m_strPath;
    if (m_plan.record) {
      journal.removed = filesDropped(*m_plan.record, journal.next);
      if (m_plan.record->package != m_config.m_strPackageName) journal.oldPackage = m_plan.record->package;
    }
    if (!writeUpdateJournal(journal)) throw BitException("Cannot write the update journal");
    apply(journal);
  }

  static void apply(const UpdateJournal& journal) {
    if (!applyUpdate(journal)) throw BitException("The update could not be applied; the next start tries again");
  }

  const DownloadConfig& m_config;
  GamePlan m_plan;
  IPackageWorkerUi& m_ui;
  const RetryPauses& m_pauses;
  const TransferLimits& m_limits;
  std::string m_sha256;          // of the package, once it is here
  bool m_noSpace = false;        // the package did not fit on its volume
  bool m_stopped = false;        // the player stopped the transfer
  bool m_retrying = false;       // the label says the transfer is retrying
  std::int64_t m_lastNow = 0;    // the package's bytes at the last progress
  std::int64_t m_retryFrom = 0;  // and when the retrying began
};

// What failed stays on the label, behind the box and after it.
void tellFailure(IPackageWorkerUi& ui, const wchar_t* label, const wchar_t* box) {
  ui.setStatusText(label);
  ui.showWarningBox(box, kDownloadErrorCaption);
}

}  // namespace

bool packageTransferUnderWay() { return s_transferPhase == TransferPhase::Transferring; }

bool stopPackageTransfer() {
  TransferPhase transferring = TransferPhase::Transferring;
  return s_transferPhase.compare_exchange_strong(transferring, TransferPhase::Stopping);
}

unsigned DownloadThreadProc(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui) {
  return runPackageWorker(config, std::move(plan), ui, kPackageRetryPauses);
}

unsigned runPackageWorker(const DownloadConfig& config, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits, std::chrono::milliseconds installedPause) {
  return runPackageWorker(config, planGameWork(config), ui, pauses, limits, installedPause);
}

unsigned runPackageWorker(const DownloadConfig& config, GamePlan plan, IPackageWorkerUi& ui, const RetryPauses& pauses,
                          const TransferLimits& limits, std::chrono::milliseconds installedPause) {
  DownloadEngine& engine = DownloadEngine::instance();
  engine.report("download_start");
  logLine(LOG_INFO, "download start");
  PackageWork work(config, std::move(plan), ui, pauses, limits);
  const CURLcode code = work.bringPackage();
  logLine(LOG_INFO, "download end");
  engine.report("download_end");

  if (work.stopped()) {
    // The player chose to leave: the window is going, nothing more to tell.
  } else if (code != CURLE_OK && work.noSpace()) {
    // What to do is free space, not just start again; the partial package waits for that.
    tellFailure(ui, kStatusNoSpace, kDiskSpaceText);
  } else if (code != CURLE_OK) {
    // A failed download is shown like a failed installation, so the player knows to start again.
    tellFailure(ui, kStatusDownloadFailed, kDownloadErrorText);
  } else {
    try {
      // The bar empties when installing starts and fills with the extraction.
      g_installProgress = 0;
      ui.setStatusText(kStatusInstalling);
      engine.report("decode_start");
      logLine(LOG_INFO, "7z decode start");
      const Bit7zLibrary library(kCodecLibraryPath);
      BitExtractor extractor(library, BitFormat::SevenZip);
      extractor.setProgress(showInstallProgress);
      logLine(LOG_INFO, " packageName:", config.m_strPackageName, ", path:", config.m_strPath);
      work.extract(extractor);
      g_installProgress = kInstallProgressFull;
      engine.report("decode_end");
      logLine(LOG_INFO, "7z decode end");
      std::this_thread::sleep_for(installedPause);
      ui.setStatusText(kStatusInstalled);
      logLine(LOG_INFO, "7z decode end2");
    } catch (const BitNotEnoughSpace& error) {
      logLine(LOG_INFO, error.what());
      printf("%s\n", error.what());
      tellFailure(ui, kStatusNoSpace, kDiskSpaceText);
    } catch (const BitException& error) {
      logLine(LOG_INFO, error.what());
      printf("%s\n", error.what());
      tellFailure(ui, kStatusInstallFailed, kDownloadErrorText);
    }
  }
  g_downloadFinished = true;
  return 1;
}
