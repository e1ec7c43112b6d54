// Points the system's proxy settings of this process's user at `proxy` ("host:port")
// with the bypass list `bypass` (entries split by ';'): Internet Options on Windows,
// the standard variables on Linux. `clearTestProxy` takes them away again.
#pragma once

#include <string>

void setTestProxy(const std::string& proxy, const std::string& bypass);

// Points them at the automatic configuration script at `scriptUrl`; false where the
// system has no such setting (Linux).
bool setTestProxyScript(const std::string& scriptUrl);
void clearTestProxy();
