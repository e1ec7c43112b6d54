// The package transfer against Debian's nginx as the package host; cut connections
// come from our small proxy in front of it (tests/fixtures/nginx_host.py).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FixtureServers.h"
#include "PackageRecord.h"
#include "PackageTransfer.h"
#include "Sha256.h"
#include "TestFolder.h"
#include "TransferRunBase.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kSize = 700 * 1000 + 7;
constexpr std::int64_t kHalf = kSize / 2;
const RetryPauses kQuick = {std::chrono::milliseconds(10), std::chrono::milliseconds(10)};

// One response as nginx logged it: status, the Range asked for, body bytes sent.
std::vector<std::string> accessLog() {
  std::ifstream log(fixtureFile("nginx/access.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line.substr(line.find(' ') + 1));
  return lines;
}

struct NginxRun : TransferRunBase {
  std::size_t logBefore = 0;

  NginxRun() : TransferRunBase("nginx_host") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TransferRunBase::SetUp());
    logBefore = accessLog().size();
  }

  // Each test serves its own file; a new version gets a new size and time, as nginx's
  // ETag is made of the two (the time in whole seconds).
  void serve(const std::string& name, const std::string& bytes) {
    served = bytes;
    const fs::path file = fs::u8path(fixtureFile("nginx-root/package/" + name));
    fs::create_directories(file.parent_path());
    const bool existed = fs::exists(file);
    const auto before = existed ? fs::last_write_time(file) : fs::file_time_type();
    writeFile(file, bytes);
    if (existed) fs::last_write_time(file, before + std::chrono::seconds(10));
  }

  // `prefix` "" or "/norange"; through the cutting proxy or straight to nginx.
  static std::string address(const std::string& name, const std::string& query, bool viaProxy,
                             const std::string& prefix = "") {
    static const auto nonce = std::chrono::steady_clock::now().time_since_epoch().count();
    const int port = fixturePort(viaProxy ? "nginx_host_proxy" : "nginx_host");
    return "http://127.0.0.1:" + std::to_string(port) + prefix + "/package/" + name + "?id=" + std::to_string(nonce) +
           query;
  }

  // The responses since the last call, once `expected` of them are in: nginx logs a
  // response after its last byte, which may be after the client is done.
  std::vector<std::string> newResponses(std::size_t expected) {
    std::vector<std::string> all = accessLog();
    for (int wait = 0; all.size() < logBefore + expected && wait < 100; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      all = accessLog();
    }
    std::vector<std::string> since(all.begin() + static_cast<std::ptrdiff_t>(logBefore), all.end());
    logBefore = all.size();
    return since;
  }
};

}  // namespace

TEST_F(NginxRun, ResumesOrStartsOverAsTheServerAnswers) {
  const std::string half = std::to_string(kHalf);
  const std::string rest = std::to_string(kSize - kHalf);
  const std::string whole = std::to_string(kSize);
  const struct {
    const char* name;
    const char* file;
    std::string prefix;
    bool changePackage;
    std::string secondResponse;  // nginx's log of the second start's response
  } cases[] = {
      {"cut at half: only the rest", "resume.7z", "", false, "206 \"bytes=" + half + "-\" " + rest},
      {"changed package: the whole new one", "changed.7z", "", true,
       "200 \"bytes=" + half + "-\" " + std::to_string(kSize + 1)},
      {"server ignoring Range: the whole one", "norange.7z", "/norange", false, "200 \"bytes=" + half + "-\" " + whole},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(kPackage);
    removePackageRecord(kPackage);
    serve(c.file, randomBytes(kSize, 5));
    const std::string url = address(c.file, "&cut=" + half, true, c.prefix);
    EXPECT_EQ(transferPackage(url, kPackage), CURLE_PARTIAL_FILE);
    EXPECT_EQ(fs::file_size(kPackage), static_cast<std::uintmax_t>(kHalf));
    if (c.changePackage) serve(c.file, randomBytes(kSize + 1, 6));
    EXPECT_EQ(transferPackage(url, kPackage), CURLE_OK);
    EXPECT_EQ(kept(), served);
    const std::vector<std::string> responses = newResponses(2);
    ASSERT_EQ(responses.size(), 2u);
    EXPECT_EQ(responses[1], c.secondResponse);
  }
}

TEST_F(NginxRun, ACompletePackageIsConfirmedByARangeBeyondItsEnd) {
  serve("complete.7z", randomBytes(kSize, 7));
  const std::string url = address("complete.7z", "", false);
  ASSERT_EQ(transferPackage(url, kPackage), CURLE_OK);
  ASSERT_EQ(transferPackage(url, kPackage), CURLE_OK);
  EXPECT_EQ(kept(), served);
  const std::vector<std::string> responses = newResponses(2);
  ASSERT_EQ(responses.size(), 2u);
  EXPECT_EQ(responses[1].substr(0, responses[1].rfind(' ')), "416 \"bytes=" + std::to_string(kSize) + "-\"");
}

TEST_F(NginxRun, TheHashCoversAResumedPackage) {
  serve("hashed.7z", randomBytes(kSize, 8));
  Sha256 hash;
  hash.update(served.data(), served.size());
  const PackageCheck right{kSize, hash.hexDigest()};
  const std::string url = address("hashed.7z", "&cut=" + std::to_string(kHalf), true);
  EXPECT_EQ(transferPackage(url, kPackage, transferOptions(right)), CURLE_PARTIAL_FILE);
  EXPECT_EQ(transferPackage(url, kPackage, transferOptions(right)), CURLE_OK);
  EXPECT_EQ(kept(), served);

  // The same bytes against another hash: deleted.
  fs::remove(kPackage);
  removePackageRecord(kPackage);
  const PackageCheck wrong{-1, std::string(64, 'f')};
  EXPECT_EQ(transferPackage(address("hashed.7z", "&second", false), kPackage, transferOptions(wrong, kQuick)),
            CURLE_ABORTED_BY_CALLBACK);
  EXPECT_FALSE(fs::exists(kPackage));
}

TEST_F(NginxRun, AnUnavailableServerIsRetriedThenFails) {
  const std::string url = "http://127.0.0.1:" + std::to_string(fixturePort("nginx_host")) + "/unavailable/kvr.7z";
  EXPECT_EQ(transferPackage(url, kPackage, transferOptions({}, kQuick)), CURLE_HTTP_RETURNED_ERROR);
  const std::vector<std::string> responses = newResponses(3);
  EXPECT_EQ(responses.size(), 3u);
  EXPECT_EQ(fs::file_size(kPackage), 0u) << "no error page is stored";
}
