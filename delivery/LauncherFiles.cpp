#include "LauncherFiles.h"

#include <algorithm>
#include <vector>

#include "CfgCheck.h"
#include "FileSystem.h"
#include "InstallLayout.h"
#include "GameUpdate.h"
#include "InstallRecord.h"
#include "PackageRecord.h"

namespace {

// The folder names of a relative path, "." and empty ones left out.
std::vector<std::string> components(const std::string& path) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find_first_of("/\\", start), path.size());
    const std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// True when `name` ends in `suffix`, compared as the platform compares names.
bool endsInName(const std::string& name, const std::string& suffix) {
  for (size_t dot = name.find('.', 1); dot != std::string::npos; dot = name.find('.', dot + 1))
    if (sameFileName(name.substr(dot), suffix)) return true;
  return false;
}

}  // namespace

bool isLauncherFileName(const std::string& name, const std::string& gamePath) {
  const std::string codecPath = kCodecLibraryFile;
  const std::string library = codecPath.substr(codecPath.find_last_of("/\\") + 1);
  // "logs" is the logger's folder ("./kvr/logs/"). The install record, the update journal
  // and the newest accepted configuration timestamp, each also in writing.
  for (const std::string& kept : {library, std::string(KVR_LOG_FOLDER), std::string(kInstallRecordFile),
                                  std::string(kUpdateJournalFile), std::string(kConfigTimestampName)})
    if (sameFileName(name, kept) || sameFileName(name, kept + kWritingSuffix)) return true;
  // The folders beside the game folder that an update stages in ("game.staging").
  if (endsInName(name, kStagingSuffix) || endsInName(name, kReplacedSuffix)) return true;
  // A package's resume record beside it ("kvr.7z.resume") and the record's copy in
  // writing: a package stored there would be taken for, or replaced by, another's record.
  const std::string record = kPackageRecordSuffix;
  if (endsInName(name, record) || endsInName(name, record + kPackageRecordAsideSuffix)) return true;
  // A package file in place of the game folder would keep the game from ever being
  // extracted, also after the configuration is mended.
  const bool relative =
      !gamePath.empty() && gamePath.find_first_of("/\\") != 0 && gamePath.find(':') == std::string::npos;
  const std::vector<std::string> parts = components(gamePath);
  return relative && parts.size() >= 2 && sameFileName(parts[0], KVR_DATA_FOLDER) && sameFileName(parts[1], name);
}
