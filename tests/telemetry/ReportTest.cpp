#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "CollectorRecord.h"
#include "Deployment.h"
#include "DownloadEngine.h"
#include "FixtureServers.h"
#include "Md5.h"

namespace {

std::string typeOf(const std::string& line) {
  const size_t start = line.find("type=") + 5, end = line.find('&');
  return line.substr(start, end - start);
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The bounds shortened, the short one well apart from the whole one, so a test tells
// them apart within seconds.
ReportLimits quickLimits() {
  ReportLimits limits;
  limits.timeout = milliseconds(1500);
  limits.afterFailureTimeout = milliseconds(300);
  return limits;
}

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
  engine.limits = quickLimits();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(engine.post("x=stalled"), CURLE_OPERATION_TIMEDOUT);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, engine.limits.timeout + std::chrono::seconds(3));
  EXPECT_TRUE(received().empty());
}

// A collector that never answers costs the first report the whole bound and the later
// ones the short one each; they are still sent, in order, and a good answer restores the
// whole bound.
TEST_F(Collector, AfterATimedOutReportTheNextOnesAreBoundedShortly) {
  DownloadEngine engine(url("/stall/log/log"), localCaFile("ca.pem"));
  engine.limits = quickLimits();
  EXPECT_EQ(engine.post("x=first"), CURLE_OPERATION_TIMEDOUT);
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(engine.post("x=later"), CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, engine.limits.afterFailureTimeout + milliseconds(700));
  }
  engine.reportUrl = url();
  EXPECT_EQ(engine.post("x=answered"), CURLE_OK);
  engine.reportUrl = url("/stall/log/log");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(engine.post("x=stalled again"), CURLE_OPERATION_TIMEDOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, engine.limits.timeout - milliseconds(200));
}

// Reports queued and waited for go out in the order they were made, over one
// connection; the caller of a queued one does not wait for the collector.
TEST_F(Collector, ReportsGoInOrderOverOneConnection) {
  {
    DownloadEngine engine(url(), localCaFile("ca.pem"));
    engine.reportLater("launch_start");
    engine.reportLater("web_load");
    engine.report("game_start");
    engine.reportLater("close launch");
    EXPECT_EQ(engine.post("x=last"), CURLE_OK);
    EXPECT_EQ(engine.connectionsOpened(), 1);
  }
  const std::vector<std::string> bodies = received();
  ASSERT_EQ(bodies.size(), 5u);
  const std::vector<std::string> types{typeOf(bodies[0]), typeOf(bodies[1]), typeOf(bodies[2]), typeOf(bodies[3])};
  EXPECT_EQ(types, (std::vector<std::string>{"launch_start", "web_load", "game_start", "close launch"}));
  EXPECT_EQ(bodies[4], "/log/log x=last");
  const std::vector<std::string> seen = connections();
  ASSERT_EQ(seen.size(), 5u);
  for (const std::string& connection : seen) EXPECT_EQ(portOf(connection), portOf(seen[0])) << connection;
}

// A connection the collector closed is opened again for the next report.
TEST_F(Collector, AClosedConnectionIsOpenedAgain) {
  DownloadEngine engine(url("/close/log/log"), localCaFile("ca.pem"));
  EXPECT_EQ(engine.post("x=closed after"), CURLE_OK);
  engine.reportUrl = url();
  EXPECT_EQ(engine.post("x=next"), CURLE_OK);
  EXPECT_EQ(engine.connectionsOpened(), 2);
  const std::vector<std::string> seen = connections();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(portOf(seen[0]), portOf(seen[1]));
}

// A prepared report connects at once but sends nothing before it is made; then it is
// one exchange on that connection. Another first report drops it unsent, and so does
// an engine that ends first.
TEST_F(Collector, APreparedReportWaitsOnItsOpenConnection) {
  {
    DownloadEngine engine(url(), localCaFile("ca.pem"));
    engine.prepare("launch_start");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(engine.connectionsOpened(), 0);  // counted once its transfer has ended
    engine.report("launch_start");
    engine.report("web_load");
    EXPECT_EQ(engine.connectionsOpened(), 1);
  }
  {
    DownloadEngine engine(url(), localCaFile("ca.pem"));
    engine.prepare("launch_start");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    engine.report("close launch");
  }
  const auto start = Clock::now();
  {
    DownloadEngine engine(url(), localCaFile("ca.pem"));
    engine.prepare("launch_start");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
  const std::vector<std::string> bodies = received();
  ASSERT_EQ(bodies.size(), 3u);
  EXPECT_EQ(typeOf(bodies[0]), "launch_start");
  EXPECT_EQ(typeOf(bodies[1]), "web_load");
  EXPECT_EQ(typeOf(bodies[2]), "close launch");
}

// A stalled collector: a queued report costs its caller nothing and a waited one the
// short bound, each staying queued. The report opened ahead is bounded from the moment
// it is made, not from its connection; the ones after it by the short bound.
TEST_F(Collector, AStalledCollectorHoldsNoCallerLongerThanTheShortBound) {
  DownloadEngine engine(url("/stall/log/log"), localCaFile("ca.pem"));
  engine.limits = quickLimits();
  const auto shortBound = engine.limits.afterFailureTimeout;
  const auto wholeBound = engine.limits.timeout;
  engine.prepare("launch_start");
  // Longer than the whole bound: counted from the connection, it would have run out.
  std::this_thread::sleep_for(wholeBound + milliseconds(200));
  const auto start = Clock::now();
  engine.report("launch_start");
  auto held = Clock::now() - start;
  EXPECT_GE(held, shortBound - milliseconds(100));
  EXPECT_LT(held, shortBound + milliseconds(500));
  auto call = Clock::now();
  engine.reportLater("web_load");
  EXPECT_LT(Clock::now() - call, std::chrono::milliseconds(50));
  call = Clock::now();
  engine.report("game_start");
  held = Clock::now() - call;
  EXPECT_GE(held, shortBound - milliseconds(100));
  EXPECT_LT(held, shortBound + milliseconds(500));
  // Waits for every exchange: the first ends the whole bound after it was made, then
  // three at the short one.
  EXPECT_EQ(engine.post("x=last"), CURLE_OPERATION_TIMEDOUT);
  const auto all = Clock::now() - start;
  EXPECT_GE(all, wholeBound + 3 * shortBound - milliseconds(200));
  EXPECT_LT(all, wholeBound + 3 * shortBound + milliseconds(2500));
  EXPECT_TRUE(received().empty());
}

TEST(DownloadEngineInstance, PostsToTheDeploymentEndpoint) {
  DownloadEngine& engine = DownloadEngine::instance();
  EXPECT_EQ(&engine, &DownloadEngine::instance());
  EXPECT_EQ(engine.reportUrl, KVR_REPORT_URL);
  EXPECT_EQ(engine.caBundle, KVR_CA_BUNDLE);
  EXPECT_NE(engine.sharedHandle, nullptr);
}
