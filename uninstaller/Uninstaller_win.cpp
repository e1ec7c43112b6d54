// The uninstaller: removes the launcher's registry traces, hands the removal of the
// files to ".\DeleteBat.bat" and ends at once, so the script can delete its file.
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

const wchar_t kScriptFile[] = L".\\DeleteBat.bat";
const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The script is read in the ANSI code page; a path with a character that code page
// lacks would come out with a stand-in ("?", a wildcard to "del"), so it is refused.
std::optional<std::string> exactAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int units = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr, 0, nullptr,
                                 &usedDefault);
  // A UTF-8 code page takes neither the flag nor the default-character query, and loses nothing.
  const bool lossless =
      size == 0 && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER);
  if (lossless) size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (size <= 0 || usedDefault) return std::nullopt;
  std::string narrow(static_cast<size_t>(size), '\0');
  const int written = lossless ? WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), units, narrow.data(), size,
                                                     nullptr, nullptr)
                               : WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units,
                                                     narrow.data(), size, nullptr, &usedDefault);
  if (written != size || usedDefault) return std::nullopt;
  return narrow;
}

std::wstring ownPath() {
  wchar_t wszPath[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, wszPath, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(wszPath, length) : std::wstring();
}

// The script text with every path in place; nothing when a path cannot stand in it.
std::optional<std::string> scriptText(const std::wstring& wszOwnPath, const wchar_t* wszDesktop) {
  const size_t slash = wszOwnPath.find_last_of(L'\\');
  std::wstring folder = wszOwnPath.substr(0, slash == std::wstring::npos ? 0 : slash);
  if (folder.size() == 2) folder += L'\\';  // "C:" alone would name that drive's current folder
  wchar_t wszScript[MAX_PATH] = {};
  const DWORD scriptLength = GetFullPathNameW(kScriptFile, MAX_PATH, wszScript, nullptr);
  if (folder.empty() || scriptLength == 0 || scriptLength >= MAX_PATH) return std::nullopt;

  const std::optional<std::string> narrowFolder = exactAnsi(folder);
  const std::optional<std::string> narrowScript = exactAnsi(wszScript);
  if (!narrowFolder || !narrowScript) return std::nullopt;
  UninstallPaths paths{*narrowFolder, *narrowScript, {}};
  if (wszDesktop != nullptr) paths.desktop = exactAnsi(wszDesktop).value_or(std::string());
  return BatchScript(paths);
}

bool writeScript(const std::string& text) {
  FILE* file = _wfopen(kScriptFile, L"wb");
  if (file == nullptr) return false;
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  if (fclose(file) == 0 && written) return true;
  _wremove(kScriptFile);
  return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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

  const std::wstring wszOwnPath = ownPath();
  const std::optional<std::string> text = scriptText(wszOwnPath, desktopKnown ? wszDesktop : nullptr);
  // A script that was not written completely is never started: an older file of
  // that name could be anything.
  const bool scriptReady = text && writeScript(*text);

  // So that this process ends before the script's pause runs out.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, wszOwnPath.c_str(), nullptr);
  if (scriptReady) {
    const std::wstring quotedOwnPath = L"\"" + wszOwnPath + L"\"";
    ShellExecuteW(nullptr, L"open", kScriptFile, quotedOwnPath.c_str(), nullptr, SW_HIDE);
  }
  ExitProcess(0xFFFFFFFF);
}
