#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FixtureServers.h"
#include "PackageRecord.h"
#include "PackageTransfer.h"
#include "PackageWorker.h"
#include "Sha256.h"
#include "TestFolder.h"
#include "TransferRunBase.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kSize = 600 * 1000 + 123;
const RetryPauses kQuick = {std::chrono::milliseconds(10), std::chrono::milliseconds(10),
                            std::chrono::milliseconds(10)};

// One package response as the transfer host recorded it.
struct Request {
  int status;
  std::int64_t first;
  std::int64_t sent;
  bool operator==(const Request& other) const {
    return status == other.status && first == other.first && sent == other.sent;
  }
};

void PrintTo(const Request& r, std::ostream* out) { *out << r.status << " from " << r.first << " sent " << r.sent; }

std::string sha256Of(const std::string& bytes) {
  Sha256 hash;
  hash.update(bytes.data(), bytes.size());
  return hash.hexDigest();
}

// The transfer host serves `served` as the package; each test's addresses are its own.
struct TransferRun : TransferRunBase {
  std::size_t requestsBefore = 0;
  std::int64_t now = 0;  // what the transfer last reported of the whole package
  std::int64_t total = 0;

  TransferRun() : TransferRunBase("transfer_host") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TransferRunBase::SetUp());
    serve(randomBytes(kSize, 1));
    requestsBefore = requests().size();
  }

  void serve(const std::string& bytes) {
    served = bytes;
    writeFile(fs::u8path(fixtureFile("transfer-package.7z")), bytes);
  }

  // An address of the package no other test (nor an earlier run) has used.
  static std::string address(const std::string& query) {
    static const auto nonce = std::chrono::steady_clock::now().time_since_epoch().count();
    static int serial = 0;
    return "http://127.0.0.1:" + std::to_string(fixturePort("transfer_host")) +
           "/package/velmora/kvr.7z?id=" + std::to_string(nonce) + "-" + std::to_string(++serial) + query;
  }

  static std::vector<Request> requests() {
    std::ifstream log(fixtureFile("transfer-requests.log"));
    std::vector<Request> found;
    std::string path;
    Request r{};
    while (log >> path >> r.status >> r.first >> r.sent) found.push_back(r);
    return found;
  }
  // The responses since the last call, once `expected` of them are in: the host
  // records a response after its last byte, which may be after the client is done.
  std::vector<Request> newRequests(std::size_t expected) {
    std::vector<Request> all = requests();
    for (int wait = 0; all.size() < requestsBefore + expected && wait < 100; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      all = requests();
    }
    std::vector<Request> since(all.begin() + static_cast<std::ptrdiff_t>(requestsBefore), all.end());
    requestsBefore = all.size();
    return since;
  }

  CURLcode transfer(const std::string& url, const PackageCheck& check = {}, const RetryPauses& pauses = {}) {
    const auto progress = [this](std::int64_t bytes, std::int64_t size) {
      now = bytes;
      total = size;
    };
    return transferPackage(url, kPackage, transferOptions(check, pauses, progress));
  }
};

const std::int64_t kHalf = kSize / 2;

}  // namespace

TEST_F(TransferRun, ACutPackageResumesWhereItStopped) {
  const std::string url = address("&cut=" + std::to_string(kHalf));
  EXPECT_EQ(transfer(url), CURLE_PARTIAL_FILE);
  EXPECT_EQ(fs::file_size(kPackage), static_cast<std::uintmax_t>(kHalf)) << "the partial file is kept";
  PackageRecord record;
  ASSERT_TRUE(readPackageRecord(kPackage, record));
  EXPECT_EQ(record.url, url);
  EXPECT_EQ(record.size, kSize);
  EXPECT_FALSE(record.complete);
  EXPECT_EQ(now, kHalf);
  EXPECT_EQ(total, kSize);

  EXPECT_EQ(transfer(url), CURLE_OK);
  EXPECT_EQ(kept(), served);
  EXPECT_EQ(newRequests(2), (std::vector<Request>{{200, 0, kHalf}, {206, kHalf, kSize - kHalf}}));
  EXPECT_EQ(now, kSize) << "the progress shows the whole package";
  EXPECT_EQ(total, kSize);
  ASSERT_TRUE(readPackageRecord(kPackage, record));
  EXPECT_TRUE(record.complete);
}

// An https package host is verified with the profile's authorities: the local authority
// that made its certificate is taken, an unrelated one refused before any byte is kept.
TEST_F(TransferRun, HttpsHostsAreVerifiedWithTheGivenAuthorities) {
  writeFile(fs::u8path(fixtureFile("tls-package.7z")), served);
  const std::string url =
      "https://localhost:" + std::to_string(fixturePort("tls_package_host")) + "/package/velmora/kvr.7z";
  const std::string authorities = KVR_LOCAL_CA_DIR;
  for (const auto& [bundle, taken] :
       {std::pair{authorities + "/ca.pem", true}, {authorities + "/foreign-ca.pem", false}}) {
    SCOPED_TRACE(bundle);
    fs::remove(kPackage);
    const PackageCheck check{static_cast<std::int64_t>(served.size()), sha256Of(served)};
    EXPECT_EQ(transferPackage(url, kPackage, transferOptions(check), bundle) == CURLE_OK, taken);
    const std::string package = kept();
    if (taken) {
      EXPECT_EQ(package, served);
    } else {
      EXPECT_TRUE(package.empty() || package == "<none>") << package.size() << " bytes kept";
    }
  }
}

// What the second start finds decides how much it asks for.
TEST_F(TransferRun, WhatDoesNotFitStartsOver) {
  const struct {
    const char* name;
    std::string query;
    bool changePackage;  // the server's package changes between the two starts
    bool otherAddress;   // the second start has another address
    int secondStatus;    // of the second start's one response
  } cases[] = {
      {"server sends the whole package (200)", "&norange=1", false, false, 200},
      {"package changed on the server (new ETag)", "", true, false, 200},
      {"no validator to ask with", "&novalidator=1", false, false, 200},
      {"record of another address", "", false, true, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    serve(randomBytes(kSize, 2));
    const std::string url = address("&cut=" + std::to_string(kHalf) + c.query);
    EXPECT_EQ(transfer(url), CURLE_PARTIAL_FILE);
    // A later write time, so the server's validator changes with the content.
    if (c.changePackage) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      serve(randomBytes(kSize, 3));
    }
    EXPECT_EQ(transfer(c.otherAddress ? address(c.query) : url), CURLE_OK);
    EXPECT_EQ(kept(), served);
    const std::vector<Request> seen = newRequests(2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], (Request{c.secondStatus, 0, kSize}));
  }
}

// A server that serves ranges of a changed package regardless of If-Range: the kept
// part's record tells the sizes apart, and the new package comes whole.
TEST_F(TransferRun, ARangeOfAnotherVersionIsNotAppended) {
  const struct {
    const char* name;
    std::int64_t newSize;
    std::int64_t cut;
    int misfit;  // the status of the answer that does not fit
  } cases[] = {
      {"bigger: a range with another total", kSize + 1000, kHalf, 206},
      {"smaller than the kept part: nothing to send", kHalf - 1000, kHalf, 416},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(kPackage);
    removePackageRecord(kPackage);
    serve(randomBytes(kSize, 9));
    const std::string url = address("&noifrange=1&cut=" + std::to_string(c.cut));
    EXPECT_EQ(transfer(url), CURLE_PARTIAL_FILE);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    serve(randomBytes(c.newSize, 10));
    EXPECT_EQ(transfer(url), CURLE_OK);
    EXPECT_EQ(kept(), served);
    // The host records the misfitting range too, whose client hung up on it, once it
    // notices: maybe after the whole package that followed.
    const std::vector<Request> seen = newRequests(3);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.front(), (Request{200, 0, c.cut}));
    const std::vector<Request> second(seen.begin() + 1, seen.end());
    EXPECT_NE(std::find(second.begin(), second.end(), Request{200, 0, c.newSize}), second.end());
    EXPECT_TRUE(std::any_of(second.begin(), second.end(), [&](const Request& r) { return r.status == c.misfit; }));
  }
}

TEST_F(TransferRun, ACompletePackageIsConfirmedNotFetchedAgain) {
  const std::string url = address("");
  ASSERT_EQ(transfer(url), CURLE_OK);
  now = total = 0;
  EXPECT_EQ(transfer(url), CURLE_OK);
  EXPECT_EQ(kept(), served);
  EXPECT_EQ(newRequests(2), (std::vector<Request>{{200, 0, kSize}, {416, kSize, 0}}));
  EXPECT_EQ(now, kSize);
  EXPECT_EQ(total, kSize);

  // Changed on the server since: fetched whole.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  serve(randomBytes(kSize, 4));
  EXPECT_EQ(transfer(url), CURLE_OK);
  EXPECT_EQ(kept(), served);
  EXPECT_EQ(newRequests(1), (std::vector<Request>{{200, 0, kSize}}));
}

TEST_F(TransferRun, TransientFailuresAreRetriedOthersEndAtOnce) {
  const struct {
    const char* name;
    std::string query;
    CURLcode code;
    std::vector<int> statuses;
  } cases[] = {
      {"cut, then resumed in the same run", "&cut=" + std::to_string(kHalf), CURLE_OK, {200, 206}},
      {"503 twice", "&fail=503:2", CURLE_OK, {503, 503, 200}},
      {"408 and 429 are transient too", "&fail=429:1", CURLE_OK, {429, 200}},
      {"503 beyond the retries", "&fail=503:9", CURLE_HTTP_RETURNED_ERROR, {503, 503, 503, 503}},
      {"404 at once", "&fail=404:9", CURLE_HTTP_RETURNED_ERROR, {404}},
      {"403 at once", "&fail=403:9", CURLE_HTTP_RETURNED_ERROR, {403}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(kPackage);
    removePackageRecord(kPackage);
    EXPECT_EQ(transfer(address(c.query), {}, kQuick), c.code);
    std::vector<int> statuses;
    for (const Request& r : newRequests(c.statuses.size())) statuses.push_back(r.status);
    EXPECT_EQ(statuses, c.statuses);
    if (c.code == CURLE_OK)
      EXPECT_EQ(kept(), served);
    else
      EXPECT_EQ(fs::file_size(kPackage), 0u) << "no error page is stored";
  }

  // Nothing at the address: retried as a failed connection.
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(transferPackage("http://127.0.0.1:1/kvr.7z", kPackage, transferOptions({}, kQuick)), CURLE_COULDNT_CONNECT);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// Retries end by time as well as by their number: a host that keeps failing is given up
// once `retryFor` has passed, however many pauses are left; each retry still resumes.
TEST_F(TransferRun, RetriesEndOnceTheirTimeIsUp) {
  const RetryPauses many(500, std::chrono::milliseconds(20));
  TransferOptions options = transferOptions({}, many);
  options.limits.retryFor = std::chrono::milliseconds(300);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(transferPackage(address("&fail=503:1000"), kPackage, options), CURLE_HTTP_RETURNED_ERROR);
  const auto spent = std::chrono::steady_clock::now() - started;
  EXPECT_GE(spent, options.limits.retryFor);
  EXPECT_LT(spent, std::chrono::seconds(5)) << "500 pauses of 20 ms would take 10 s";

  // Within its time, an outage longer than the old four retries is ridden out, resuming.
  options.limits.retryFor = std::chrono::seconds(20);
  const std::string url = address("&cut=" + std::to_string(kHalf) + "&fail=503:8:1");
  EXPECT_EQ(transferPackage(url, kPackage, options), CURLE_OK);
  EXPECT_EQ(kept(), served);
  // The host records a response after its last byte, which may be after the client is done.
  const Request resumed{206, kHalf, kSize - kHalf};
  for (int wait = 0; wait < 100 && !(requests().back() == resumed); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(requests().back(), resumed);
}

// A player who closes the window stops the transfer at once, in a stalled response or in
// a pause before a retry; what came is kept with its record, and the next transfer resumes.
TEST_F(TransferRun, AStopEndsAtOnceAndThePartIsResumedLater) {
  const std::string stalled = address("&hold=5000");  // the first byte, then nothing for 5 s
  const struct {
    const char* what;
    std::string url;
    RetryPauses pauses;
  } cases[] = {
      {"pause before a retry", "http://127.0.0.1:1/package/velmora/kvr.7z", {std::chrono::seconds(10)}},
      {"stalled response", stalled, {}},  // last: its kept part is resumed below
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::atomic<bool> stop{false};
    TransferOptions options = transferOptions({}, c.pauses);
    options.stop = [&] { return stop.load(); };
    std::thread player([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      stop = true;
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(transferPackage(c.url, kPackage, options), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500 + 1500));
    player.join();
  }
  EXPECT_EQ(kept(), served.substr(0, 1)) << "the stalled response's byte is kept";
  PackageRecord record;
  ASSERT_TRUE(readPackageRecord(kPackage, record));
  EXPECT_EQ(record.url, stalled);
  EXPECT_FALSE(record.complete);

  EXPECT_EQ(transfer(stalled), CURLE_OK);
  EXPECT_EQ(kept(), served);
  const Request resumed{206, 1, kSize - 1};
  for (int wait = 0; wait < 100 && !(requests().back() == resumed); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(requests().back(), resumed);
}

TEST_F(TransferRun, AnErrorStatusLeavesTheKeptPartAlone) {
  const std::string url = address("&cut=" + std::to_string(kHalf) + "&fail=404:1:1");
  EXPECT_EQ(transfer(url), CURLE_PARTIAL_FILE);
  EXPECT_EQ(transfer(url, {}, kQuick), CURLE_HTTP_RETURNED_ERROR);
  EXPECT_EQ(kept(), served.substr(0, kHalf));
  EXPECT_EQ(transfer(url), CURLE_OK);
  EXPECT_EQ(kept(), served);
  EXPECT_EQ(newRequests(3), (std::vector<Request>{{200, 0, kHalf}, {404, 0, 0}, {206, kHalf, kSize - kHalf}}));
}

TEST_F(TransferRun, ChecksTheGivenSizeAndHash) {
  const std::string sha = sha256Of(served);
  const struct {
    const char* name;
    std::int64_t size;
    std::string sha256;
    std::string query;
    bool twoStarts;  // cut in the first start, resumed in the second
    CURLcode code;
  } cases[] = {
      {"right size and hash", kSize, sha, "", false, CURLE_OK},
      {"hash over a part kept from an earlier start", -1, sha, "&cut=" + std::to_string(kHalf), true, CURLE_OK},
      {"hash over a retry in the same start", -1, sha, "&cut=" + std::to_string(kHalf), false, CURLE_OK},
      {"hash of a kept complete file", kSize, sha, "", true, CURLE_OK},
      {"wrong hash", -1, std::string(64, '0'), "", false, CURLE_ABORTED_BY_CALLBACK},
      {"wrong size", kSize + 1, "", "", false, CURLE_PARTIAL_FILE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(kPackage);
    removePackageRecord(kPackage);
    const std::string url = address(c.query);
    const PackageCheck check{c.size, c.sha256};
    if (c.twoStarts) transfer(url, check);
    EXPECT_EQ(transfer(url, check, kQuick), c.code);
    if (c.code == CURLE_OK) {
      EXPECT_EQ(kept(), served);
    } else {
      EXPECT_FALSE(fs::exists(kPackage)) << "a package that fails its check is deleted";
      PackageRecord record;
      EXPECT_FALSE(readPackageRecord(kPackage, record));
    }
  }
}

// Needs a folder on a small volume of its own, given by small-volume.sh: a full disk
// is no transient failure.
TEST_F(TransferRun, AFullDiskEndsTheTransferAtOnce) {
  const char* volume = std::getenv("KVR_SMALL_VOLUME");
  if (volume == nullptr) GTEST_SKIP() << "no small volume given (KVR_SMALL_VOLUME)";
  const std::string package = std::string(volume) + "/kvr.7z";
  EXPECT_EQ(transferPackage(address(""), package, transferOptions({}, kQuick)), CURLE_WRITE_ERROR);
  EXPECT_EQ(newRequests(1).size(), 1u);
}

// Needs a small volume too. Where the size is known no byte is stored when the rest
// cannot fit; a write that fails half-way is told as a full disk all the same; either
// way a kept part and its record wait for the space to come back.
TEST_F(TransferRun, AFullDiskIsToldAndThePartKeptForLater) {
  const char* volume = std::getenv("KVR_SMALL_VOLUME");
  if (volume == nullptr) GTEST_SKIP() << "no small volume given (KVR_SMALL_VOLUME)";
  const std::string package = std::string(volume) + "/kvr.7z";
  const auto transferTo = [&](const std::string& url, const PackageCheck& check, bool& noSpace) {
    TransferOptions options = transferOptions(check);
    options.noSpace = &noSpace;
    return transferPackage(url, package, options);
  };
  std::string endless = address("");
  endless.replace(endless.find("/package/"), 9, "/endless/package/");
  struct Case {
    const char* name;
    std::string url;
    PackageCheck check;
    std::size_t recorded;  // package responses the host records (not the endless one)
  };
  const Case cases[] = {
      {"size given", address(""), PackageCheck{kSize, ""}, 0},
      {"the server's length", address(""), PackageCheck{}, 1},
      {"no length: the write fails", endless, PackageCheck{}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool noSpace = false;
    EXPECT_EQ(transferTo(c.url, c.check, noSpace), CURLE_WRITE_ERROR);
    EXPECT_TRUE(noSpace);
    EXPECT_EQ(newRequests(c.recorded).size(), c.recorded);
    if (c.url != endless) {
      EXPECT_FALSE(fs::exists(package) && fs::file_size(package) > 0) << "no byte stored";
    }
    std::remove(package.c_str());
  }

  // A part that fits, then a volume filled up by someone else: the next start is told
  // at once and keeps the part; once space is freed it resumes.
  serve(randomBytes(20000, 2));
  const std::string url = address("&cut=8000");
  bool noSpace = false;
  EXPECT_EQ(transferTo(url, {}, noSpace), CURLE_PARTIAL_FILE);
  ASSERT_EQ(fs::file_size(package), 8000u);
  const std::string filler = std::string(volume) + "/filler";
  {
    std::ofstream fill(filler, std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64 && fill.write(block.data(), block.size()); ++i) {
    }
  }
  newRequests(1);
  EXPECT_EQ(transferTo(url, {}, noSpace), CURLE_WRITE_ERROR);
  EXPECT_TRUE(noSpace);
  EXPECT_TRUE(newRequests(0).empty()) << "the record's size is known: nothing is asked";
  EXPECT_EQ(fs::file_size(package), 8000u);
  fs::remove(filler);
  noSpace = false;
  EXPECT_EQ(transferTo(url, {}, noSpace), CURLE_OK);
  EXPECT_FALSE(noSpace);
  EXPECT_EQ(newRequests(1), (std::vector<Request>{{206, 8000, 12000}}));
  EXPECT_EQ(readFile(fs::u8path(package)), served);
}
