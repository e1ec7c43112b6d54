#include <windows.h>

#include "FileSystem.h"
#include "BrowserEmulation.h"

namespace {

constexpr wchar_t kEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";
// Internet Explorer 11 edge mode, whatever document type a page declares.
constexpr DWORD kEdgeMode = 11001;

}  // namespace

// Failures are silent: start-up goes on with the control's default mode.
void SetBrowserEmulation() {
  const std::wstring wszName = executableFile().filename().native();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEmulationKey, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY,
                    &key) != ERROR_SUCCESS &&
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEmulationKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  const DWORD value = kEdgeMode;
  RegSetValueExW(key, wszName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}
