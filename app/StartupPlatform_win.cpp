#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "Resources.h"
#include "StartupPlatform.h"
#include "StringTable.h"
#include "TextConvert.h"

namespace {

const wchar_t kInstallDir[] = L"C:\\Games\\velmora\\kvr";
constexpr size_t kCopyTargetChars = 100;  // the copy target's buffer, terminator included

}  // namespace

InstanceLock::InstanceLock() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\kvr_velmora");
  if (mutex == nullptr) return;
  m_anotherHolds = GetLastError() == ERROR_ALREADY_EXISTS;
  m_handle = reinterpret_cast<intptr_t>(mutex);
}

InstanceLock::~InstanceLock() {
  if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

bool raiseExistingInstance(const std::wstring& title) {
  HWND window = FindWindowW(nullptr, title.c_str());
  if (window == nullptr) return false;
  ShowWindow(window, SW_SHOWNORMAL);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetForegroundWindow(window);
  return true;
}

void EnableDebugPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges{};
  if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  }
  CloseHandle(token);
}

std::string installFolder() {
  return ToAnsi(kInstallDir);
}

bool prepareInstallFolder() {
  if (GetFileAttributesW(kInstallDir) == INVALID_FILE_ATTRIBUTES) SHCreateDirectoryExW(nullptr, kInstallDir, nullptr);
  return SetCurrentDirectoryW(kInstallDir) != 0;
}

bool copyTargetFits(const std::string& fileName) {
  std::wstring target = LoadResourceText(IDS_COPY_TARGET);
  const size_t placeholder = target.find(L"%s");
  if (placeholder != std::wstring::npos) target.replace(placeholder, 2, FromAnsi(fileName));
  return target.size() < kCopyTargetChars;
}

SelfCopy copySelfToInstallFolder() {
  wchar_t wszExePath[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, wszExePath, MAX_PATH + 1);
  const wchar_t* wszFileName = PathFindFileNameW(wszExePath);
  SelfCopy copy{SelfCopyResult::NotCopied, ToAnsi(wszFileName)};

  // String 149 is the install folder followed by "%s".
  std::wstring target = LoadResourceText(IDS_COPY_TARGET);
  const size_t placeholder = target.find(L"%s");
  if (placeholder != std::wstring::npos) target.replace(placeholder, 2, wszFileName);
  if (target.size() >= kCopyTargetChars) {
    copy.result = SelfCopyResult::NameTooLong;
    return copy;
  }
  if (target == wszExePath) {
    copy.result = SelfCopyResult::AlreadyThere;
    return copy;
  }
  if (CopyFileW(wszExePath, target.c_str(), TRUE)) copy.result = SelfCopyResult::Copied;
  return copy;
}

void endProcess(int code) {
  ExitProcess(static_cast<UINT>(code));
}
