#include "InstallLayout.h"
#include "LauncherTraces_linux.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

const char kCodecLibraryFile[] = "./" KVR_DATA_FOLDER "/7z.so";
const char kUninstallerFile[] = "uninst";
const char kProgramName[] = "kvr_velmora";

namespace {

// HOME, else the account's home folder from the password database (a start with a
// cleared environment); empty when neither names one.
std::string homeFolder() {
  const char* home = getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  std::vector<char> buffer(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr)
    return {};
  return found->pw_dir;
}

// An XDG base folder: the variable when it names an absolute folder, else `fallback` below home.
std::string baseFolder(const char* variable, const char* fallback) {
  const char* value = getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const std::string home = homeFolder();
  return home.empty() ? std::string() : home + fallback;
}

}  // namespace

std::string installFolder() { return homeFolder() + "/Games/velmora/kvr"; }

std::string instanceLockFile() {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a of the install folder
  for (const char c : installFolder()) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime != nullptr && runtime[0] == '/' ? runtime : "/tmp";
  char name[64];
  snprintf(name, sizeof name, "/kvr_velmora-%u-%016llx.lock", static_cast<unsigned>(getuid()),
           static_cast<unsigned long long>(hash));
  return folder + name;
}

std::vector<std::string> webEngineFolders() {
  std::vector<std::string> folders;
  for (const std::string& base :
       {baseFolder("XDG_CACHE_HOME", "/.cache"), baseFolder("XDG_DATA_HOME", "/.local/share")})
    if (!base.empty()) folders.push_back(base + "/" + kProgramName);
  return folders;
}
