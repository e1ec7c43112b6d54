// The system's proxy on every transfer. A program of its own: the settings are read
// once per process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CfgCheck.h"
#include "DownloadEngine.h"
#include "FixtureServers.h"
#include "LogLines.h"
#include "Logger.h"
#include "PackageTransfer.h"
#include "ProxyRules.h"
#include "TestFolder.h"
#include "TestProxy.h"

namespace fs = std::filesystem;

namespace {

// The request lines the proxy has passed on.
std::vector<std::string> proxied() {
  std::ifstream log(fixtureFile("nginx/proxy.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

}  // namespace

TEST(ProxyRules, ChoosesByListAndBypass) {
  const struct {
    const char* list;
    const char* bypass;
    const char* url;
    const char* proxy;
  } cases[] = {
      {"proxy:8080", "", "http://host/a", "http://proxy:8080"},
      {"http=h:1;https=s:2", "", "https://host/a", "http://s:2"},
      {"http=h:1;https=s:2", "", "http://host/a", "http://h:1"},
      {"https=s:2 all:3", "", "http://host/a", "http://all:3"},
      {"socks=k:1080", "", "http://host/a", "socks4://k:1080"},
      {"http=http://h:1", "", "http://host/a", "http://h:1"},
      {"ftp=f:21", "", "http://host/a", ""},
      {"", "", "http://host/a", ""},
      {"p:1", "<local>", "http://intranet/a", ""},
      {"p:1", "<local>", "http://intranet.example/a", "http://p:1"},
      {"p:1", "*.Example.com; 10.*", "http://WWW.example.com:81/a", ""},
      {"p:1", "*.example.com;10.*", "http://10.1.2.3/a", ""},
      {"p:1", "*.example.com;10.*", "http://example.org/a", "http://p:1"},
      {"p:1", "http://host", "http://user:pw@host:80/a?b", ""},
      {"p:1", "::1", "http://[::1]:8/a", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.list) + " | " + c.bypass + " | " + c.url);
    const std::string proxy = bypassesProxy(c.bypass, c.url) ? "" : proxyFromList(c.list, c.url);
    EXPECT_EQ(proxy, c.proxy);
  }
}

// The configuration, the package and a report all go through the user's proxy; an
// address on the bypass list goes straight. The proxy's own address is 127.0.0.1, which
// the bypass list names, so other programs of the test run are not routed through it.
TEST(SystemProxy, EveryTransferUsesTheUsersProxy) {
  ASSERT_NE(fixturePort("nginx_host"), 0) << "the nginx fixture is not running";
  TestFolder folder;
  fs::create_directories("kvr");
  const fs::path root = fs::u8path(fixtureFile("nginx-root/package/velmora"));
  fs::create_directories(root);
  writeFile(root / "proxied.json", R"({"path":"p","gamePath":"g","packageName":"n"})");
  writeFile(root / "proxied.7z", std::string(5000, 'k'));

  setTestProxy("127.0.0.1:" + std::to_string(fixturePort("nginx_host_proxy")), "127.0.0.1;localhost");
  // 127.0.0.2 is loopback too, but nginx does not listen there: only the proxy reaches it.
  const std::string host = "http://127.0.0.2:" + std::to_string(fixturePort("nginx_host"));
  const std::size_t before = proxied().size();
  CURL* handle = curl_easy_init();
  DownloadConfig config;
  ILogManager& logger = ILogManager::instance();
  logger.configFromText("[Main] \npath = ./kvr/logs/ \nname=log \nfileline = 0 \ndisplay = 0 \n");
  mainLoggerId = logger.findLogger("Main");
  ASSERT_TRUE(logger.start());
  const bool fetched = CfgCheck(config, host + "/package/velmora/proxied.json", handle) == ConfigOutcome::Ready;
  const CURLcode package = transferPackage(host + "/package/velmora/proxied.7z", "./kvr/proxied.7z");
  DownloadEngine engine(host + "/log/log", "");
  engine.post("type=proxied");
  const std::string direct = "http://127.0.0.1:" + std::to_string(fixturePort("nginx_host"));
  const CURLcode bypassed = transferPackage(direct + "/package/velmora/proxied.7z", "./kvr/direct.7z");
  curl_easy_cleanup(handle);
  clearTestProxy();
  logger.stop();
  // The configuration's lines as always, then the proxy, once for the whole process.
  std::vector<std::string> lines = infoLinesBelow("kvr/logs");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{"cfg check start", "check path:p", "check gamePath:g",
                                      "check packageName:./kvr/n", "cfg check end"}));
  EXPECT_EQ(lines[5].rfind("proxy:http://127.0.0.1:" + std::to_string(fixturePort("nginx_host_proxy")) + " (", 0), 0u)
      << lines[5];

  EXPECT_TRUE(fetched);
  EXPECT_EQ(config.m_strPath, "p");
  EXPECT_EQ(package, CURLE_OK);
  EXPECT_EQ(bypassed, CURLE_OK);
  const std::vector<std::string> all = proxied();
  EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
            (std::vector<std::string>{"GET " + host + "/package/velmora/proxied.json HTTP/1.1",
                                      "GET " + host + "/package/velmora/proxied.7z HTTP/1.1",
                                      "POST " + host + "/log/log HTTP/1.1"}));
}

// Run by the test proxy_script_tests alone (KVR_PROXY_SCRIPT set): a process whose
// settings name an automatic configuration script.
TEST(SystemProxy, AnAutomaticConfigurationScriptChoosesPerAddress) {
  if (std::getenv("KVR_PROXY_SCRIPT") == nullptr) GTEST_SKIP() << "runs as proxy_script_tests";
  ASSERT_NE(fixturePort("nginx_host"), 0) << "the nginx fixture is not running";
  TestFolder folder;
  fs::create_directories("kvr");
  const fs::path root = fs::u8path(fixtureFile("nginx-root/package/velmora"));
  fs::create_directories(root);
  writeFile(root / "scripted.7z", std::string(5000, 's'));
  const std::string nginx = std::to_string(fixturePort("nginx_host"));
  writeFile(root / "proxy.pac",
            "function FindProxyForURL(url, host) {\n"
            "  return host == \"127.0.0.2\" ? \"PROXY 127.0.0.1:" +
                std::to_string(fixturePort("nginx_host_proxy")) + "\" : \"DIRECT\";\n}\n");
  if (!setTestProxyScript("http://127.0.0.1:" + nginx + "/package/velmora/proxy.pac"))
    GTEST_SKIP() << "no automatic configuration script on this system";
  const std::size_t before = proxied().size();
  const CURLcode scripted =
      transferPackage("http://127.0.0.2:" + nginx + "/package/velmora/scripted.7z", "./kvr/scripted.7z");
  const CURLcode direct =
      transferPackage("http://127.0.0.1:" + nginx + "/package/velmora/scripted.7z", "./kvr/direct.7z");
  clearTestProxy();
  EXPECT_EQ(scripted, CURLE_OK);
  EXPECT_EQ(direct, CURLE_OK);
  const std::vector<std::string> all = proxied();
  EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
            (std::vector<std::string>{"GET http://127.0.0.2:" + nginx + "/package/velmora/scripted.7z HTTP/1.1"}));
}
