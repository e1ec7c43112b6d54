#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "Deployment.h"
#include "DownloadEngine.h"
#include "FixtureServers.h"
#include "Md5.h"

namespace {

// The collector's record: one line "PATH BODY" per report received.
struct Collector : testing::Test {
  std::string url(const std::string& path = "/log/log") {
    return "https://localhost:" + std::to_string(fixturePort("collector")) + path;
  }

  void SetUp() override {
    ASSERT_NE(fixturePort("collector"), 0) << "the collector fixture is not running";
    m_recorded = lines().size();
  }

  // The lines recorded since the test began.
  std::vector<std::string> received() {
    std::vector<std::string> all = lines();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(m_recorded), all.end());
  }

 private:
  static std::vector<std::string> lines() {
    std::ifstream file(fixtureFile("collector.bodies"), std::ios::binary);
    std::vector<std::string> all;
    for (std::string line; std::getline(file, line);) all.push_back(line);
    return all;
  }
  size_t m_recorded = 0;
};

std::string sign(const std::string& udid) {
  Md5 md5;
  const std::string signedText = udid + kSigningKey;
  md5.update(signedText.data(), signedText.size());
  return md5.hexDigest();
}

}  // namespace

TEST_F(Collector, LaunchAndCloseArriveSignedOverVerifiedTls) {
  DownloadEngine engine(url(), localCaFile("ca.pem"));
  engine.report("launch_start");
  engine.report("close launch");

  const std::regex form(
      "/log/log type=(launch_start|close launch)&device_model=d&os_ver=o&os_name=([A-Za-z0-9]*)"
      "&mac_addr=((?:[0-9A-F]{2}:){5}[0-9A-F]{2}|)"
      "&udid=(\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\})"
      "&app_ver=1\\.0\\.0&network=wifi&platform_tag=flash_launch&sign=([0-9a-f]{32})");
  const std::vector<std::string> bodies = received();
  ASSERT_EQ(bodies.size(), 2u);
  std::smatch launch, close;
  ASSERT_TRUE(std::regex_match(bodies[0], launch, form)) << bodies[0];
  ASSERT_TRUE(std::regex_match(bodies[1], close, form)) << bodies[1];
  EXPECT_EQ(launch[1], "launch_start");
  EXPECT_EQ(close[1], "close launch");
  EXPECT_EQ(launch[4].str().size(), 38u);
  EXPECT_NE(launch[4], close[4]);
  EXPECT_EQ(launch[5], sign(launch[4]));
  EXPECT_EQ(close[5], sign(close[4]));
}

TEST_F(Collector, CertificateFromAnotherAuthorityIsRefused) {
  EXPECT_EQ(DownloadEngine(url(), localCaFile("ca.pem")).post("x=trusted"), CURLE_OK);
  EXPECT_EQ(DownloadEngine(url(), localCaFile("foreign-ca.pem")).post("x=foreign"), CURLE_PEER_FAILED_VERIFICATION);
  DownloadEngine(url(), localCaFile("foreign-ca.pem")).report("launch_start");
  const std::vector<std::string> bodies = received();
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_EQ(bodies[0], "/log/log x=trusted");
}

TEST_F(Collector, StalledCollectorDelaysTheCallerBySecondsOnly) {
  DownloadEngine engine(url("/stall/log/log"), localCaFile("ca.pem"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(engine.post("x=stalled"), CURLE_OPERATION_TIMEDOUT);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(kReportTimeoutSeconds + 3));
  EXPECT_TRUE(received().empty());
}

// A collector that never answers costs the first report its 5 s and the later ones
// about 1 s each; they are still sent, in order, and a good answer restores the bound.
TEST_F(Collector, AfterATimedOutReportTheNextOnesAreBoundedShortly) {
  DownloadEngine engine(url("/stall/log/log"), localCaFile("ca.pem"));
  EXPECT_EQ(engine.post("x=first"), CURLE_OPERATION_TIMEDOUT);
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(engine.post("x=later"), CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kReportAfterFailureTimeoutMs + 1500));
  }
  engine.reportUrl = url();
  EXPECT_EQ(engine.post("x=answered"), CURLE_OK);
  engine.reportUrl = url("/stall/log/log");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(engine.post("x=stalled again"), CURLE_OPERATION_TIMEDOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(kReportTimeoutSeconds - 1));
}

TEST(DownloadEngineInstance, PostsToTheDeploymentEndpoint) {
  DownloadEngine& engine = DownloadEngine::instance();
  EXPECT_EQ(&engine, &DownloadEngine::instance());
  EXPECT_EQ(engine.reportUrl, KVR_REPORT_URL);
  EXPECT_EQ(engine.caBundle, KVR_CA_BUNDLE);
  EXPECT_NE(engine.sharedHandle, nullptr);
}
