#include "TestProxy.h"

#include <cstdlib>

void setTestProxy(const std::string& proxy, const std::string& bypass) {
  std::string noProxy = bypass;
  for (char& c : noProxy)
    if (c == ';') c = ',';
  setenv("http_proxy", ("http://" + proxy).c_str(), 1);
  setenv("no_proxy", noProxy.c_str(), 1);
}

bool setTestProxyScript(const std::string&) { return false; }

void clearTestProxy() {
  unsetenv("http_proxy");
  unsetenv("no_proxy");
}
