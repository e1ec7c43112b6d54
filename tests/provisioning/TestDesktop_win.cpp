#include <windows.h>

#include "TestDesktop.h"

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

}  // namespace

TestDesktop::TestDesktop(const std::optional<std::filesystem::path>& folder) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) ==
      ERROR_SUCCESS) {
    std::string stored(size, '\0');
    RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", RRF_RT_ANY | RRF_NOEXPAND, &type, stored.data(), &size);
    stored.resize(size);
    m_previous = stored;
    m_previousType = type;
  }
  if (folder) {
    std::filesystem::create_directories(*folder);
    const std::wstring value = folder->wstring();
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop");
  }
}

TestDesktop::~TestDesktop() {
  if (m_previous)
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", m_previousType, m_previous->data(),
                    static_cast<DWORD>(m_previous->size()));
  else
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop");
}
