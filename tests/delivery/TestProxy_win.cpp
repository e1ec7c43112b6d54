#include "TestProxy.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

void appendDword(std::vector<unsigned char>& data, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void appendText(std::vector<unsigned char>& data, const std::string& text) {
  appendDword(data, static_cast<std::uint32_t>(text.size()));
  data.insert(data.end(), text.begin(), text.end());
}

// The layout Internet Options keeps: version, counter, flags (1 direct, 2 proxy,
// 4 script), the proxy, the bypass list, the script address, then reserved bytes.
void writeSettings(std::uint32_t flags, const std::string& proxy, const std::string& bypass,
                   const std::string& script) {
  std::vector<unsigned char> settings;
  appendDword(settings, 0x46);
  appendDword(settings, 1);
  appendDword(settings, flags);
  appendText(settings, proxy);
  appendText(settings, bypass);
  appendText(settings, script);
  settings.resize(settings.size() + 32, 0);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, L"DefaultConnectionSettings", 0, REG_BINARY, settings.data(),
                 static_cast<DWORD>(settings.size()));
  RegCloseKey(key);
}

}  // namespace

void setTestProxy(const std::string& proxy, const std::string& bypass) { writeSettings(0x1 | 0x2, proxy, bypass, ""); }

bool setTestProxyScript(const std::string& scriptUrl) {
  writeSettings(0x1 | 0x4, "", "", scriptUrl);
  return true;
}

void clearTestProxy() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, L"DefaultConnectionSettings");
  RegCloseKey(key);
}
