// The uninstaller: removes the launcher's registry traces, hands the removal of the
// files to "DeleteBat.bat" in its own folder and ends at once, so the script can
// delete its file. It acts only from the launcher's install folder.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <filesystem>
#include <optional>
#include <string>

#include "FileSystem.h"
#include "InstallLayout.h"
#include "Scoped_win.h"
#include "TextConvert.h"
#include "TextConvert_win.h"
#include "UninstallScript.h"
#include "UninstallerStrings.h"

namespace {

const wchar_t kScriptName[] = L"DeleteBat.bat";  // in the uninstaller's own folder
const wchar_t kCaption[] = L"提示";
constexpr UINT kNothingDoneExitCode = 1;
const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The script is read in the ANSI code page, so its paths must come out exactly in it.
std::optional<std::string> exactAnsi(const std::wstring& text) { return toCodePage(text, CP_THREAD_ACP, true); }

// The same folder, whatever path leads there (letter case, short names, another
// drive mapped onto it): the volume and the file index are compared.
bool sameFolder(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION info[2] = {};
  const wchar_t* paths[2] = {a.c_str(), b.c_str()};
  for (int i = 0; i < 2; ++i) {
    const ScopedHandle folder(CreateFileW(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid() || !GetFileInformationByHandle(folder.get(), &info[i])) return false;
    if ((info[i].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The script's paths as the command interpreter reads them; nothing when the folder or
// the script cannot be named exactly. A desktop that cannot be is left unknown.
std::optional<UninstallPaths> scriptPaths(const std::wstring& folder, const std::wstring& wszScript,
                                          const wchar_t* wszDesktop) {
  const std::optional<std::string> narrowFolder = exactAnsi(folder);
  const std::optional<std::string> narrowScript = exactAnsi(wszScript);
  if (folder.empty() || !narrowFolder || !narrowScript) return std::nullopt;
  UninstallPaths paths{*narrowFolder, *narrowScript, {}};
  if (wszDesktop != nullptr) paths.desktop = exactAnsi(wszDesktop).value_or(std::string());
  return paths;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A copy elsewhere (a download folder) would empty that folder of every executable.
  const std::filesystem::path ownPath = executableFile();
  const std::wstring wszFolder = ownPath.parent_path().native();
  const std::wstring wszInstallDir = FromAnsi(installFolder());
  if (!sameFolder(wszFolder, wszInstallDir)) {
    MessageBoxW(nullptr, (L"卸载程序只能在安装目录中运行:" + wszInstallDir).c_str(), kCaption, MB_OK | MB_ICONWARNING);
    ExitProcess(kNothingDoneExitCode);
  }

  wchar_t wszName[100] = {};
  wchar_t wszTitle[100] = {};
  LoadStringW(instance, IDS_UNINST_NAME, wszName, 100);
  LoadStringW(instance, IDS_UNINST_TITLE, wszTitle, 100);

  // The launcher never creates this key; a missing key is not an error.
  wchar_t wszKey[100] = {};
  if (LoadStringW(instance, IDS_UNINST_KEY, wszKey, 100) > 0) RegDeleteKeyW(HKEY_CURRENT_USER, wszKey);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

  // SHGetValueW expands an expandable value; the last character stays the terminator.
  wchar_t wszDesktop[0x208 / sizeof(wchar_t)] = {};
  DWORD type = REG_SZ;
  DWORD size = 0x206;
  const bool desktopKnown =
      SHGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", &type, wszDesktop, &size) == ERROR_SUCCESS &&
      wszDesktop[0] != L'\0';

  const std::wstring wszScript = wszFolder + (wszFolder.back() == L'\\' ? L"" : L"\\") + kScriptName;
  const std::optional<UninstallPaths> paths = scriptPaths(wszFolder, wszScript, desktopKnown ? wszDesktop : nullptr);
  const std::optional<std::string> text = paths ? BatchScript(*paths) : std::nullopt;
  // A script that was not written completely is never started: an older file of
  // that name could be anything.
  if (!text || !writeWholeFile(paths->script, {reinterpret_cast<const unsigned char*>(text->data()), text->size()})) {
    MessageBoxW(nullptr, (L"无法写入卸载脚本:" + wszScript).c_str(), kCaption, MB_OK | MB_ICONWARNING);
    ExitProcess(kNothingDoneExitCode);
  }

  // So that this process ends before the script's pause runs out.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, ownPath.c_str(), nullptr);
  const std::wstring quotedOwnPath = L"\"" + ownPath.native() + L"\"";
  ShellExecuteW(nullptr, L"open", wszScript.c_str(), quotedOwnPath.c_str(), wszFolder.c_str(), SW_HIDE);
  ExitProcess(0xFFFFFFFF);
}
