// The uninstaller: hands the removal of the launcher's files to "DeleteBat.sh" in its
// own folder, started on its own, and ends at once. It acts only from the launcher's
// install folder, and takes what the launcher made outside it (the web engine's folders,
// the lock file) too. Linux keeps no registry traces of the launcher and needs no shell
// notification: desktops watch their folder.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "FileSystem.h"
#include "InstallLayout.h"
#include "LauncherTraces_linux.h"
#include "UninstallScript.h"

extern char** environ;

namespace {

const char kScriptName[] = "DeleteBat.sh";  // in the uninstaller's own folder
constexpr int kExitCode = 255;              // 0xFFFFFFFF as far as an exit status carries it
constexpr int kNothingDoneExitCode = 1;

// The same folder, whatever path leads there (links, "..", doubled slashes).
bool sameFolder(const std::string& a, const std::string& b) {
  struct stat left {
  }, right{};
  return !a.empty() && !b.empty() && stat(a.c_str(), &left) == 0 && stat(b.c_str(), &right) == 0 &&
         S_ISDIR(left.st_mode) && left.st_dev == right.st_dev && left.st_ino == right.st_ino;
}

void say(const std::string& text) {
  const std::string line = text + "\n";
  if (write(STDERR_FILENO, line.data(), line.size()) < 0) {
    // Nobody to tell: the exit code still says that nothing was done.
  }
}

// The script runs in its own session with no terminal, so it outlives this process.
void startScript(const std::string& script) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  char shell[] = "sh";
  std::string path = script;
  char* argv[] = {shell, path.data(), nullptr};
  pid_t pid = 0;
  posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

int main() {
  // A copy elsewhere (a download folder) would empty that folder of every executable.
  const std::string folder = executableFile().parent_path().native();
  const std::string install = installFolder();
  // A relative HOME is no install folder: the launcher refuses it too.
  if (install.front() != '/' || !sameFolder(folder, install)) {
    say("卸载程序只能在安装目录中运行:" + install);
    return kNothingDoneExitCode;
  }
  const std::optional<std::filesystem::path> desktop = desktopFolder();
  UninstallPaths paths{folder, folder + (folder == "/" ? "" : "/") + kScriptName,
                       desktop ? desktop->native() : std::string(), webEngineFolders()};
  paths.outside.push_back(instanceLockFile());
  // A script that was not written completely is never started: an older file of
  // that name could be anything. No priority is raised: the script waits for this
  // process to end instead of racing it.
  const std::string text = ShellScript(paths, static_cast<long>(getpid()));
  if (!writeWholeFile(paths.script, {reinterpret_cast<const unsigned char*>(text.data()), text.size()})) {
    say("无法写入卸载脚本:" + paths.script);
    return kNothingDoneExitCode;
  }
  startScript(paths.script);
  return kExitCode;
}
