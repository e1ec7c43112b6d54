#include "SystemProxy.h"

#include <atomic>

#include "Logger.h"

ProxyChoice useSystemProxy(CURL* handle, const std::string& url) {
  ProxyChoice choice = systemProxyFor(url);
  if (choice.apply) curl_easy_setopt(handle, CURLOPT_PROXY, choice.proxy.c_str());
  return choice;
}

void logProxyInUse(const ProxyChoice& choice) {
  static std::atomic<bool> logged{false};
  if (!choice.proxy.empty() && !logged.exchange(true))
    logLine(LOG_INFO, "proxy:", choice.proxy, " (", choice.description, ")");
}
