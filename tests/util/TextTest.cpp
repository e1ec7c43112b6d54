#include <gtest/gtest.h>

#include "Resources.h"
#include "StringTable.h"
#include "TextConvert.h"

TEST(Text, ToAnsi) {
  EXPECT_EQ(ToAnsi(L""), "");
  EXPECT_EQ(ToAnsi(L"C:\\Games\\velmora\\kvr"), "C:\\Games\\velmora\\kvr");
  EXPECT_EQ(ToAnsi(std::wstring(5000, L'a')), std::string(5000, 'a'));
  // A lone surrogate cannot be converted on Linux (UTF-8); it must never come out
  // half-converted: either the whole text or nothing.
  const std::wstring broken = std::wstring(L"ab") + static_cast<wchar_t>(0xD800) + L"cd";
  const std::string converted = ToAnsi(broken);
  EXPECT_TRUE(converted.empty() || converted.size() == 5) << converted;
}

TEST(Text, StringTable) {
  EXPECT_EQ(LoadResourceText(IDS_GAME_TITLE), L"Kavran");
  EXPECT_EQ(LoadResourceText(IDS_COPY_TARGET), L"C:\\Games\\velmora\\kvr\\%s");
  EXPECT_EQ(LoadResourceText(IDS_UNINSTALL_KEY),
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kvr_velmora");
  EXPECT_EQ(LoadResourceText(IDS_UNINSTALLER_PATH), L"C:\\Games\\velmora\\kvr\\uninst.exe");
  EXPECT_EQ(LoadResourceText(IDS_VERSION), L"1.0");
  EXPECT_EQ(LoadResourceText(IDS_COMPANY), L"Inc.");
  const std::wstring report = LoadResourceText(IDS_REPORT_URL);
  EXPECT_EQ(report.substr(0, 8), L"https://");
  EXPECT_EQ(report.substr(report.size() - 8), L"/log/log");
  const std::wstring config = LoadResourceText(IDS_CONFIG_URL);
  EXPECT_EQ(config.substr(config.size() - 35), L"/package/velmora/PCDownloadCfg.json");
  const std::wstring login = LoadResourceText(IDS_LOGIN_URL);
  EXPECT_EQ(login.substr(login.size() - 20), L"/kvr/login/index.php");
  EXPECT_EQ(LoadResourceText(9999), L"");
}

TEST(Text, FromAnsiRoundTrip) {
  const std::wstring ascii = L"./kvr/game path";
  EXPECT_EQ(FromAnsi(ToAnsi(ascii)), ascii);
  EXPECT_EQ(FromAnsi(""), L"");
  const std::wstring accented = L"caf\u00e9";  // in every Western code page and in UTF-8
  EXPECT_EQ(FromAnsi(ToAnsi(accented)), accented);
}
