#include "UninstallRun.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "ShortcutReader.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kExe = fs::u8path(KVR_TEST_UNINSTALLER).extension().string();

void plant(const fs::path& file, bool executable = false) {
  fs::create_directories(file.parent_path());
  writeFile(file, file.filename().string());
  if (executable) fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec, fs::perm_options::add);
}

std::string utf8(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

bool scriptPresent(const fs::path& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file() && entry.path().filename().string().rfind("DeleteBat", 0) == 0) return true;
  return false;
}

}  // namespace

UninstallFolders::UninstallFolders(const fs::path& baseFolder, const fs::path& desktopFolder)
    : base(baseFolder),
      install(launcherInstallFolder(baseFolder)),
      elsewhere(baseFolder / "elsewhere"),
      desktop(desktopFolder) {
  removeTree(install);
  fs::create_directories(install);
  fs::copy_file(fs::u8path(KVR_TEST_UNINSTALLER), install / ("uninst" + kExe));
  plant(install / "kvr" / "logs" / "log.txt");
  plant(install / "kvr" / "7za.dll");
  plant(install / ("kvr_velmora" + kExe), true);
  plant(install / "game" / "kvr.exe", true);
  plant(install / "game" / "data.pak");
  plant(install / "keep.txt");
  for (const char* name : {"kvr/log.txt", "sub/kvr.exe", "uninst.exe", "kvr_velmora.exe"})
    plant(elsewhere / name, true);
  plant(desktop / kShortcutName);
  plant(desktop / "other.txt");
  plant(base / kShortcutName);
  plant(base / "canary" / kShortcutName);
}

UninstallFolders::~UninstallFolders() { removeTree(install); }

ProcessResult UninstallFolders::run(const fs::path& from, const fs::path& program) const {
  const fs::path previous = fs::current_path();
  fs::current_path(from);
  const ProcessResult result = runProgram((program.empty() ? install / ("uninst" + kExe) : program).string(), {});
  fs::current_path(previous);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (scriptPresent(install) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return result;
}

std::vector<std::string> UninstallFolders::remaining() const {
  std::vector<std::string> files;
  for (const fs::path& file : filesBelow(base))
    if (utf8(fs::relative(file, install)).rfind("..", 0) == 0) files.push_back(utf8(fs::relative(file, base)));
  for (const fs::path& file : filesBelow(install)) files.push_back("inst/" + utf8(fs::relative(file, install)));
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> untouchedFiles(const std::string& desktopName) {
  std::vector<std::string> files = {"canary/" + std::string(kShortcutName),
                                    desktopName + "/other.txt",
                                    "elsewhere/kvr/log.txt",
                                    "elsewhere/kvr_velmora.exe",
                                    "elsewhere/sub/kvr.exe",
                                    "elsewhere/uninst.exe",
                                    "inst/game/data.pak",
                                    "inst/keep.txt",
                                    kShortcutName};
  std::sort(files.begin(), files.end());
  return files;
}

bool somethingRan(const fs::path& base) {
  for (const auto& entry : fs::recursive_directory_iterator(base))
    if (utf8(entry.path().filename()).rfind("pwned", 0) == 0) return true;
  return false;
}
