#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CollectorRecord.h"
#include "DownloadEngine.h"

// A new connection after a closed one resumes the TLS session instead of a whole
// handshake. Native only: under Wine the Schannel connections the collector sees are
// never resumed (TLS 1.2 or 1.3), whatever the client keeps.
TEST_F(Collector, ANewConnectionResumesTheTlsSession) {
  DownloadEngine engine(url("/close/log/log"), localCaFile("ca.pem"));
  EXPECT_EQ(engine.post("x=closed after"), CURLE_OK);
  engine.reportUrl = url();
  EXPECT_EQ(engine.post("x=next"), CURLE_OK);
  const std::vector<std::string> seen = connections();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].substr(seen[0].find(' ')), " 0");
  EXPECT_EQ(seen[1].substr(seen[1].find(' ')), " 1");
}
