#include "SystemProxy.h"

#include <atomic>

#include "Logger.h"

void useSystemProxy(CURL* handle, const std::string& url) {
  static std::atomic<bool> logged{false};
  const ProxyChoice choice = systemProxyFor(url);
  if (choice.apply) curl_easy_setopt(handle, CURLOPT_PROXY, choice.proxy.c_str());
  if (!logged.exchange(true))
    logLine(LOG_INFO, "proxy:", choice.proxy.empty() ? std::string("none") : choice.proxy, " (", choice.description,
            ")");
}
