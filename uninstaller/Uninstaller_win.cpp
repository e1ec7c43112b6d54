// The uninstaller: removes the launcher's registry traces, hands the removal of the
// files to "DeleteBat.bat" in its own folder and ends at once, so the script can
// delete its file. It acts only from the launcher's install folder.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <optional>
#include <string>

#include "UninstallScript.h"
#include "UninstallerStrings.h"

namespace {

const wchar_t kScriptName[] = L"DeleteBat.bat";  // in the uninstaller's own folder
const wchar_t kInstallDir[] = L"C:\\Games\\velmora\\kvr";
const wchar_t kCaption[] = L"提示";
constexpr UINT kNothingDoneExitCode = 1;
const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The script is read in the ANSI code page; a path with a character that code page
// lacks would come out with a stand-in ("?", a wildcard to "del"), so it is refused.
std::optional<std::string> exactAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int units = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  int size =
      WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr, 0, nullptr, &usedDefault);
  // A UTF-8 code page takes neither the flag nor the default-character query, and loses nothing.
  const bool lossless =
      size == 0 && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER);
  if (lossless) size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (size <= 0 || usedDefault) return std::nullopt;
  std::string narrow(static_cast<size_t>(size), '\0');
  const int written =
      lossless ? WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), units, narrow.data(), size, nullptr, nullptr)
               : WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, narrow.data(), size,
                                     nullptr, &usedDefault);
  if (written != size || usedDefault) return std::nullopt;
  return narrow;
}

std::wstring ownPath() {
  wchar_t wszPath[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, wszPath, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(wszPath, length) : std::wstring();
}

std::wstring folderOf(const std::wstring& wszPath) {
  const size_t slash = wszPath.find_last_of(L'\\');
  std::wstring folder = wszPath.substr(0, slash == std::wstring::npos ? 0 : slash);
  if (folder.size() == 2) folder += L'\\';  // "C:" alone would name that drive's current folder
  return folder;
}

// The same folder, whatever path leads there (letter case, short names, another
// drive mapped onto it): the volume and the file index are compared.
bool sameFolder(const std::wstring& a, const wchar_t* b) {
  BY_HANDLE_FILE_INFORMATION info[2] = {};
  const wchar_t* paths[2] = {a.c_str(), b};
  for (int i = 0; i < 2; ++i) {
    const HANDLE folder = CreateFileW(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const BOOL known = GetFileInformationByHandle(folder, &info[i]);
    CloseHandle(folder);
    if (!known || (info[i].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The script text with every path in place; nothing when a path cannot stand in it.
std::optional<std::string> scriptText(const std::wstring& folder, const std::wstring& wszScript,
                                      const wchar_t* wszDesktop) {
  if (folder.empty()) return std::nullopt;
  const std::optional<std::string> narrowFolder = exactAnsi(folder);
  const std::optional<std::string> narrowScript = exactAnsi(wszScript);
  if (!narrowFolder || !narrowScript) return std::nullopt;
  UninstallPaths paths{*narrowFolder, *narrowScript, {}};
  if (wszDesktop != nullptr) paths.desktop = exactAnsi(wszDesktop).value_or(std::string());
  return BatchScript(paths);
}

bool writeScript(const std::wstring& wszScript, const std::string& text) {
  FILE* file = _wfopen(wszScript.c_str(), L"wb");
  if (file == nullptr) return false;
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  if (fclose(file) == 0 && written) return true;
  _wremove(wszScript.c_str());
  return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // A copy elsewhere (a download folder) would empty that folder of every executable.
  const std::wstring wszOwnPath = ownPath();
  const std::wstring wszFolder = folderOf(wszOwnPath);
  if (!sameFolder(wszFolder, kInstallDir)) {
    MessageBoxW(nullptr, (std::wstring(L"卸载程序只能在安装目录中运行:") + kInstallDir).c_str(), kCaption,
                MB_OK | MB_ICONWARNING);
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
  const std::optional<std::string> text = scriptText(wszFolder, wszScript, desktopKnown ? wszDesktop : nullptr);
  // A script that was not written completely is never started: an older file of
  // that name could be anything.
  if (!text || !writeScript(wszScript, *text)) {
    MessageBoxW(nullptr, (L"无法写入卸载脚本:" + wszScript).c_str(), kCaption, MB_OK | MB_ICONWARNING);
    ExitProcess(kNothingDoneExitCode);
  }

  // So that this process ends before the script's pause runs out.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, wszOwnPath.c_str(), nullptr);
  const std::wstring quotedOwnPath = L"\"" + wszOwnPath + L"\"";
  ShellExecuteW(nullptr, L"open", wszScript.c_str(), quotedOwnPath.c_str(), wszFolder.c_str(), SW_HIDE);
  ExitProcess(0xFFFFFFFF);
}
