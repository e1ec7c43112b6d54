#include <windows.h>

#include "FileSystem.h"
#include "InstallLayout.h"
#include "Resources.h"
#include "Scoped_win.h"
#include "StartupPlatform.h"
#include "StringTable.h"
#include "TextConvert.h"

namespace {

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
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return;
  const ScopedHandle token(opened);
  TOKEN_PRIVILEGES privileges{};
  if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  }
}

bool prepareInstallFolder() {
  const std::wstring folder = FromAnsi(installFolder());
  makeFolderChain(folder);
  return SetCurrentDirectoryW(folder.c_str()) != 0;
}

std::optional<std::filesystem::path> launcherCopyPath(const std::filesystem::path& fileName) {
  // String 149 is the install folder followed by "%s".
  std::wstring target = LoadResourceText(IDS_COPY_TARGET);
  const size_t placeholder = target.find(L"%s");
  if (placeholder != std::wstring::npos) target.replace(placeholder, 2, fileName.native());
  if (target.size() >= kCopyTargetChars) return std::nullopt;
  return target;
}

void endProcess(int code) { ExitProcess(static_cast<UINT>(code)); }
