#include "StartupPlatform.h"

#include "FileSystem.h"

SelfCopy copySelfToInstallFolder() {
  const std::filesystem::path running = executableFile();
  SelfCopy copy{SelfCopyResult::NotCopied, narrowPath(running.filename())};
  const std::optional<std::filesystem::path> target = launcherCopyPath(running.filename());
  if (!target) {
    copy.result = SelfCopyResult::NameTooLong;
  } else if (target->native() == running.native()) {
    copy.result = SelfCopyResult::AlreadyThere;
  } else if (copyFileNoReplace(running, *target)) {
    copy.result = SelfCopyResult::Copied;
  }
  return copy;
}
