#include "SystemProxy.h"

#include <windows.h>
#include <winhttp.h>

#include <mutex>

#include "ProxyRules.h"
#include "TextConvert.h"

namespace {

// Takes a string WinHTTP allocated and frees it.
std::string adopt(LPWSTR text) {
  if (text == nullptr) return std::string();
  std::string narrow = ToAnsi(text);
  GlobalFree(text);
  return narrow;
}

// The user's Internet Options, read once per process.
struct Settings {
  bool autoDetect = false;
  std::string autoConfigUrl;
  std::string proxy;
  std::string bypass;
};

Settings readSettings() {
  Settings settings;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return settings;
  settings.autoDetect = config.fAutoDetect != FALSE;
  settings.autoConfigUrl = adopt(config.lpszAutoConfigUrl);
  settings.proxy = adopt(config.lpszProxy);
  settings.bypass = adopt(config.lpszProxyBypass);
  return settings;
}

// Time limits of the script's download and of detection, in milliseconds: a network
// without a script must not hold a transfer up for long.
constexpr int kScriptTimeout = 5000;

std::string chosen(const std::string& list, const std::string& bypass, const std::string& url) {
  return bypassesProxy(bypass, url) ? std::string() : proxyFromList(list, url);
}

}  // namespace

ProxyChoice systemProxyFor(const std::string& url) {
  static std::mutex lock;
  static bool read = false;
  static Settings settings;
  static bool automaticFailed = false;
  static HINTERNET session = nullptr;
  const std::lock_guard<std::mutex> guard(lock);
  if (!read) {
    settings = readSettings();
    read = true;
  }

  ProxyChoice choice;
  choice.apply = true;
  if ((settings.autoDetect || !settings.autoConfigUrl.empty()) && !automaticFailed) {
    // Kept for the process: WinHTTP caches the script and its answers in the session.
    if (session == nullptr) {
      session = WinHttpOpen(L"Kavran", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
      if (session != nullptr)
        WinHttpSetTimeouts(session, kScriptTimeout, kScriptTimeout, kScriptTimeout, kScriptTimeout);
    }
    WINHTTP_AUTOPROXY_OPTIONS options{};
    const std::wstring scriptUrl = FromAnsi(settings.autoConfigUrl);
    if (!settings.autoConfigUrl.empty()) {
      options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
      options.lpszAutoConfigUrl = scriptUrl.c_str();
    }
    if (settings.autoDetect) {
      options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
      options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    const std::wstring wideUrl = FromAnsi(url);
    if (session != nullptr && WinHttpGetProxyForUrl(session, wideUrl.c_str(), &options, &info)) {
      const std::string list = adopt(info.lpszProxy);
      const std::string bypass = adopt(info.lpszProxyBypass);
      if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) choice.proxy = chosen(list, bypass, url);
      choice.description =
          settings.autoConfigUrl.empty() ? "automatic detection" : "automatic configuration " + settings.autoConfigUrl;
      return choice;
    }
    // Detection that found nothing stays so for this run; the static settings apply.
    automaticFailed = true;
  }
  choice.description = settings.proxy.empty() ? "Internet Options, no proxy" : "Internet Options";
  choice.proxy = chosen(settings.proxy, settings.bypass, url);
  return choice;
}
