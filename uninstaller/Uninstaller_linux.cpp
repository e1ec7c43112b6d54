// The uninstaller: hands the removal of the launcher's files to "DeleteBat.sh" in its
// own folder, started on its own, and ends at once. It acts only from the launcher's
// install folder. Linux keeps no registry traces of the launcher and needs no shell
// notification: desktops watch their folder.
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "UninstallScript.h"

extern char** environ;

namespace {

const char kScriptName[] = "DeleteBat.sh";  // in the uninstaller's own folder
constexpr int kExitCode = 255;              // 0xFFFFFFFF as far as an exit status carries it
constexpr int kNothingDoneExitCode = 1;

std::string ownFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer)) return {};
  const std::string path(buffer, static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// HOME, else the account's home folder, as the launcher finds it.
std::string homeFolder() {
  const char* home = getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  char buffer[16384];
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr || found->pw_dir == nullptr)
    return {};
  return found->pw_dir;
}

// The launcher's install folder; empty when there is none.
std::string installFolder() {
  const std::string home = homeFolder();
  return home.empty() || home.front() != '/' ? std::string() : home + "/Games/velmora/kvr";
}

// The same folder, whatever path leads there (links, "..", doubled slashes).
bool sameFolder(const std::string& a, const std::string& b) {
  struct stat left {
  }, right{};
  return !a.empty() && !b.empty() && stat(a.c_str(), &left) == 0 && stat(b.c_str(), &right) == 0 &&
         S_ISDIR(left.st_mode) && left.st_dev == right.st_dev && left.st_ino == right.st_ino;
}

std::string desktopFolder() {
  const char* desktop = getenv("XDG_DESKTOP_DIR");
  if (desktop != nullptr && *desktop != '\0') return desktop;
  const std::string home = homeFolder();
  return home.empty() ? std::string() : home + "/Desktop";
}

void say(const std::string& text) {
  const std::string line = text + "\n";
  if (write(STDERR_FILENO, line.data(), line.size()) < 0) {
    // Nobody to tell: the exit code still says that nothing was done.
  }
}

bool writeScript(const std::string& script, const std::string& text) {
  const int file = open(script.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (file < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(file, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  if (close(file) == 0 && done == text.size()) return true;
  unlink(script.c_str());
  return false;
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
  const std::string folder = ownFolder();
  const std::string install = installFolder();
  if (!sameFolder(folder, install)) {
    say("卸载程序只能在安装目录中运行:" + install);
    return kNothingDoneExitCode;
  }
  const UninstallPaths paths{folder, folder + (folder == "/" ? "" : "/") + kScriptName, desktopFolder()};
  // A script that was not written completely is never started: an older file of
  // that name could be anything. No priority is raised: the script waits for this
  // process to end instead of racing it.
  if (!writeScript(paths.script, ShellScript(paths, static_cast<long>(getpid())))) {
    say("无法写入卸载脚本:" + paths.script);
    return kNothingDoneExitCode;
  }
  startScript(paths.script);
  return kExitCode;
}
