#include "SystemProxy.h"

#include <cstdlib>
#include <vector>

#include "ProxyRules.h"

namespace {

const char* variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr && *value != '\0' ? value : nullptr;
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

ProxyChoice systemProxyFor(const std::string& url) {
  // libcurl's own order; only the lower-case form for plain HTTP (a CGI program gets
  // HTTP_PROXY from a request's header).
  ProxyChoice choice;
  const std::string scheme = urlScheme(url);
  std::vector<std::string> names = {scheme + "_proxy"};
  if (scheme != "http") names.push_back(upper(scheme) + "_PROXY");
  names.push_back("all_proxy");
  names.push_back("ALL_PROXY");
  choice.description = "environment";
  for (const std::string& name : names) {
    if (const char* value = variable(name)) {
      choice.proxy = value;
      choice.description += " " + name;
      break;
    }
  }
  const char* bypass = variable("no_proxy");
  if (bypass == nullptr) bypass = variable("NO_PROXY");
  if (bypass != nullptr && !choice.proxy.empty()) choice.description += std::string(", no_proxy ") + bypass;
  return choice;
}
