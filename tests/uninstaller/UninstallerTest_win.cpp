#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "ShortcutReader.h"
#include "StringTable.h"
#include "TestDesktop.h"
#include "TestFolder.h"
#include "UninstallRun.h"
#include "UninstallerStrings.h"

namespace fs = std::filesystem;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kvr_velmora";

// The profile folder the script's fallback names through %USERPROFILE%.
class TestProfile {
 public:
  explicit TestProfile(const fs::path& folder) {
    wchar_t previous[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"USERPROFILE", previous, MAX_PATH) > 0) m_previous = previous;
    SetEnvironmentVariableW(L"USERPROFILE", folder.c_str());
  }
  ~TestProfile() { SetEnvironmentVariableW(L"USERPROFILE", m_previous ? m_previous->c_str() : nullptr); }
  TestProfile(const TestProfile&) = delete;
  TestProfile& operator=(const TestProfile&) = delete;

 private:
  std::optional<std::wstring> m_previous;
};

bool contains(const std::vector<std::string>& files, const std::string& file) {
  return std::find(files.begin(), files.end(), file) != files.end();
}

}  // namespace

TEST(UninstallerWin, DeletesTheUninstallKey) {
  TestFolder folder;
  const UninstallFolders folders(folder.path(), folder.path() / "Desktop");
  const TestDesktop desktop(folders.desktop);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_TRUE(folders.run(folders.install).finished);
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(folders.remaining(), untouchedFiles("Desktop"));
}

// Without a desktop path it can name exactly, the script names the shortcut through
// %USERPROFILE%; a path the code page lacks never turns into a look-alike (a "?" is
// a wildcard to "del") that could hit another folder.
TEST(UninstallerWin, UnknownOrUnnameableDesktopFallsBackToTheProfile) {
  struct Case {
    const char* name;
    std::optional<std::wstring> desktopValue;
  };
  TestFolder folder;
  for (const Case& test : {Case{"no desktop value", std::nullopt}, Case{"desktop the code page lacks", L"d\u03A9sk"}}) {
    SCOPED_TRACE(test.name);
    const fs::path base = folder.path() / test.name;
    const UninstallFolders folders(base, base / "profile" / "Desktop");
    const TestProfile profile(base / "profile");
    std::optional<fs::path> unnameable;
    if (test.desktopValue) {
      unnameable = base / *test.desktopValue;
      fs::create_directories(*unnameable);
      writeFile(*unnameable / kShortcutName, "stays: the script cannot name it");
      fs::create_directories(base / "dOsk");
      writeFile(base / "dOsk" / kShortcutName, "a look-alike's shortcut");
    }
    const TestDesktop desktop(unnameable);

    ASSERT_TRUE(folders.run(folders.install).finished);
    const std::vector<std::string> remaining = folders.remaining();
    EXPECT_FALSE(contains(remaining, "profile/Desktop/" + std::string(kShortcutName)));
    EXPECT_TRUE(contains(remaining, "profile/Desktop/other.txt"));
    EXPECT_FALSE(contains(remaining, "inst/uninst.exe"));
    if (test.desktopValue) {
      EXPECT_TRUE(fs::exists(*unnameable / kShortcutName));
      EXPECT_TRUE(contains(remaining, "dOsk/" + std::string(kShortcutName)));
    }
  }
}

// The uninstaller links util/ but not the resource access: it carries its own strings
// and none of the launcher's table.
TEST(UninstallerWin, CarriesItsOwnStringsAndNoneOfTheLaunchers) {
  const HMODULE module = LoadLibraryExW(fs::u8path(KVR_TEST_UNINSTALLER).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  wchar_t text[100] = {};
  EXPECT_GT(LoadStringW(module, IDS_UNINST_KEY, text, 100), 0);
#define KVR_LAUNCHER_STRING(id, literal) EXPECT_EQ(LoadStringW(module, id, text, 100), 0) << literal;
  KVR_STRING_TABLE(KVR_LAUNCHER_STRING)
#undef KVR_LAUNCHER_STRING
  FreeLibrary(module);
}
