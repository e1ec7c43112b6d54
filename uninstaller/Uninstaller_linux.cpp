// The uninstaller: hands the removal of the launcher's files to "./DeleteBat.sh",
// started on its own, and ends at once. Linux keeps no registry traces of the
// launcher and needs no shell notification: desktops watch their folder.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "UninstallScript.h"

extern char** environ;

namespace {

const char kScriptName[] = "DeleteBat.sh";  // in the current folder
constexpr int kExitCode = 255;  // 0xFFFFFFFF as far as an exit status carries it

std::string ownFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer)) return {};
  const std::string path(buffer, static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string currentFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

std::string desktopFolder() {
  const char* desktop = getenv("XDG_DESKTOP_DIR");
  if (desktop != nullptr && *desktop != '\0') return desktop;
  const char* home = getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/Desktop" : std::string();
}

bool writeScript(const std::string& text) {
  const int file = open(kScriptName, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (file < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(file, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  if (close(file) == 0 && done == text.size()) return true;
  unlink(kScriptName);
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
  const std::string folder = ownFolder();
  const std::string current = currentFolder();
  if (folder.empty() || current.empty()) return kExitCode;
  const UninstallPaths paths{folder, current + (current == "/" ? "" : "/") + kScriptName, desktopFolder()};
  // A script that was not written completely is never started: an older file of
  // that name could be anything. No priority is raised: the script waits for this
  // process to end instead of racing it.
  if (writeScript(ShellScript(paths, static_cast<long>(getpid())))) startScript(paths.script);
  return kExitCode;
}
