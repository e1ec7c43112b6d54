#include "InstallLayout.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

const char kCodecLibraryFile[] = "./" KVR_DATA_FOLDER "/7z.so";
const char kUninstallerFile[] = "uninst";

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

}  // namespace

std::string installFolder() { return homeFolder() + "/Games/velmora/kvr"; }
