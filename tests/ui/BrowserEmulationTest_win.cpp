#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "BrowserEmulation.h"

namespace {

constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";

std::optional<DWORD> readValue(const wchar_t* name) {
  DWORD value = 0, type = 0, size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

void writeValue(const wchar_t* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

}  // namespace

// The value is named after the running executable: this test program.
TEST(BrowserEmulation, WritesEdgeModeForTheExecutable) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
  SetBrowserEmulation();
  EXPECT_EQ(readValue(L"ui_tests.exe"), 11001u) << "key created";

  // The key present: our value overwritten, the others left alone.
  writeValue(L"ui_tests.exe", 7);
  writeValue(L"other.exe", 5);
  SetBrowserEmulation();
  EXPECT_EQ(readValue(L"ui_tests.exe"), 11001u);
  EXPECT_EQ(readValue(L"other.exe"), 5u);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
}
