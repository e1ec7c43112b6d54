// The system's proxy for every transfer of the launcher (configuration, package,
// reports). On Windows the user's Internet Options apply: the static proxy and its
// bypass list, and the automatic configuration script or detection when set, through
// WinHTTP. On Linux libcurl reads its standard variables (http_proxy, https_proxy,
// all_proxy, no_proxy) itself and nothing overrides them.
#pragma once

#include <curl/curl.h>

#include <string>

// What the system's settings choose for one address.
struct ProxyChoice {
  bool apply = false;       // set `proxy` on the handle (empty: connect directly)
  std::string proxy;        // libcurl's form, "http://host:port"; empty: none
  std::string description;  // where the choice comes from, for the log
};

// The platform's choice for `url`.
ProxyChoice systemProxyFor(const std::string& url);

// Applies the choice for `url` to `handle` and returns it.
ProxyChoice useSystemProxy(CURL* handle, const std::string& url);

// Logs "proxy:" followed by the proxy and where it comes from, the first time in the
// process that a transfer goes through one; a direct connection adds no line. The
// configuration fetch calls it after its own lines, so they keep their order.
void logProxyInUse(const ProxyChoice& choice);
