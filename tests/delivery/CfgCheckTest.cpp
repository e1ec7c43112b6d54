#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "CfgCheck.h"
#include "DownloadEngine.h"
#include "FixtureServers.h"
#include "LogLines.h"
#include "Logger.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kConfigPath[] = "/package/velmora/PCDownloadCfg.json";

// The start-up limits with short retry pauses, so that a failure retried costs no seconds.
const ConfigFetchLimits kQuickRetries = [] {
  ConfigFetchLimits limits;
  limits.retryPauses = {std::chrono::milliseconds(20), std::chrono::milliseconds(20)};
  return limits;
}();

struct Fetched {
  bool ok;
  ConfigOutcome outcome;
  DownloadConfig config;
  std::vector<std::string> lines;  // the launcher's own log lines
  std::string keptTimestamp{};     // the newest accepted timestamp's file afterwards
};

// Each fetch runs with the process's logger writing into a fresh folder and the engine's
// shared handle, as at start-up.
struct CfgCheckRun : testing::Test {
  TestFolder folder;

  void SetUp() override { ASSERT_NE(fixturePort("package_host"), 0) << "the package host fixture is not running"; }

  // The address of the package host's document delivered in `mode`.
  static std::string address(const std::string& mode) {
    return "http://127.0.0.1:" + std::to_string(fixturePort("package_host")) + "/" + mode + kConfigPath;
  }
  // The same with `body` as the document.
  static std::string url(const std::string& mode, const std::string& body, const std::string& extra = "") {
    char* escaped = curl_easy_escape(nullptr, body.data(), static_cast<int>(body.size()));
    const std::string withBody = address(mode) + "?body=" + escaped + extra;
    curl_free(escaped);
    return withBody;
  }

  Fetched fetch(const std::string& address, CURL* handle = DownloadEngine::instance().sharedHandle,
                const ConfigFetchLimits& limits = kQuickRetries, const ConfigTrust& trust = {}) {
    ILogManager& logger = ILogManager::instance();
    logger.configFromText("[Main] \npath = ./kvr/logs/ \nname=log \nfileline = 0 \ndisplay = 0 \n");
    mainLoggerId = logger.findLogger("Main");
    logger.setLoggerEnabled(mainLoggerId, true);  // a stop leaves it switched off
    EXPECT_TRUE(logger.start());
    // Values a failed fetch must leave alone.
    Fetched fetched{false, ConfigOutcome::Ready, {"old path", "old gamePath", "old packageName"}, {}};
    fetched.outcome = CfgCheck(fetched.config, address, handle, limits, trust);
    fetched.ok = fetched.outcome == ConfigOutcome::Ready;
    EXPECT_TRUE(logger.stop());
    fetched.lines = withoutProxyLine(infoLinesBelow(folder.path() / "kvr" / "logs"));
    if (fs::exists(kConfigTimestampFile)) fetched.keptTimestamp = readFile(kConfigTimestampFile);
    fs::remove_all(folder.path() / "kvr");
    return fetched;
  }
};

const char kDocument[] =
    R"({"version": 12345, "path": "D:/Games/kvr", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z",)"
    R"( "packageName": "kvr_1.0.7z", "notes": ["a", {"b": null}]})";

}  // namespace

TEST_F(CfgCheckRun, StoresAndLogsTheThreeValues) {
  const struct {
    const char* what;
    std::string address;
    const char* path;
    const char* gamePath;
    const char* packageName;
  } cases[] = {
      {"whole, extra members ignored", url("whole", kDocument), "D:/Games/kvr",
       "http://127.0.0.1:18480/package/velmora/kvr.7z", "./kvr/kvr_1.0.7z"},
      {"one byte per chunk", url("chunked", kDocument, "&chunk=1"), "D:/Games/kvr",
       "http://127.0.0.1:18480/package/velmora/kvr.7z", "./kvr/kvr_1.0.7z"},
      {"chunk borders inside strings and numbers", url("chunked", kDocument, "&chunk=7"), "D:/Games/kvr",
       "http://127.0.0.1:18480/package/velmora/kvr.7z", "./kvr/kvr_1.0.7z"},
      {"prefixed package name", url("whole", R"({"path":"p","gamePath":"g","packageName":"abc"})"), "p", "g",
       "./kvr/abc"},
      {"empty strings stored", url("whole", R"({"path":"","gamePath":"","packageName":""})"), "", "", "./kvr/"},
      {"UTF-8 bytes as parsed",
       url("whole", "{\"path\":\"C:/\\u6e38\\u620f\",\"gamePath\":\"g\",\"packageName\":\"\xc3\xa9\"}"),
       "C:/\xe6\xb8\xb8\xe6\x88\x8f", "g", "./kvr/\xc3\xa9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Fetched fetched = fetch(c.address);
    EXPECT_TRUE(fetched.ok);
    EXPECT_EQ(fetched.config.m_strPath, c.path);
    EXPECT_EQ(fetched.config.m_strGamePath, c.gamePath);
    EXPECT_EQ(fetched.config.m_strPackageName, c.packageName);
    const std::vector<std::string> expected{"cfg check start", std::string("check path:") + c.path,
                                            std::string("check gamePath:") + c.gamePath,
                                            std::string("check packageName:") + c.packageName, "cfg check end"};
    EXPECT_EQ(fetched.lines, expected);
  }
}

TEST_F(CfgCheckRun, FailureIsOneErrorLineAndNothingStored) {
  const std::string notJson = "cfg check err:the configuration is not JSON: [json.exception.parse_error.101] ";
  const struct {
    const char* what;
    std::string address;
    std::string error;  // the whole line, or its beginning when it ends in "] "
    ConfigOutcome outcome = ConfigOutcome::Unusable;
  } cases[] = {
      {"not JSON", url("whole", R"({"path": "p", "gamePath": )"), notJson},
      {"empty body", url("whole", ""), notJson},
      {"404 page", address("404"), notJson},
      {"not an object", url("whole", R"(["p", "g", "n"])"), "cfg check err:the configuration is not a JSON object"},
      {"missing member", url("whole", R"({"path":"p","packageName":"n"})"),
       "cfg check err:member \"gamePath\" is missing"},
      {"null member", url("whole", R"({"path":null,"gamePath":"g","packageName":"n"})"),
       "cfg check err:member \"path\" is not a string but null"},
      {"number member", url("whole", R"({"path":"p","gamePath":"g","packageName":7})"),
       "cfg check err:member \"packageName\" is not a string but number"},
      {"package size as text", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSize":"12"})"),
       "cfg check err:member \"packageSize\" is not a byte count but \"12\""},
      {"package size with a fraction",
       url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSize":1.5})"),
       "cfg check err:member \"packageSize\" is not a byte count but 1.5"},
      {"negative package size", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSize":-1})"),
       "cfg check err:member \"packageSize\" is not a byte count but -1"},
      {"package hash as a number", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSha256":5})"),
       "cfg check err:member \"packageSha256\" is not a SHA-256 in hexadecimal but 5"},
      {"package hash too short", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSha256":"abc"})"),
       "cfg check err:member \"packageSha256\" is not a SHA-256 in hexadecimal but \"abc\""},
      {"empty version", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","version":""})"),
       "cfg check err:member \"version\" is not a line of 1 to 64 bytes but \"\""},
      {"version with a line break", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","version":"1\n2"})"),
       "cfg check err:member \"version\" is not a line of 1 to 64 bytes but \"1\\n2\""},
      {"version too long",
       url("whole", R"({"path":"p","gamePath":"g","packageName":"n","version":")" + std::string(65, 'v') + "\"}"),
       "cfg check err:member \"version\" is not a line of 1 to 64 bytes but \"" + std::string(63, 'v') + "..."},
      {"number out of range", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","x":1e400})"),
       "cfg check err:the configuration is not JSON: [json.exception.out_of_range.406] "},
      {"cut off mid-body", url("cut", kDocument), "cfg check err:Transferred a partial file",
       ConfigOutcome::Unreachable},
      {"host unreachable", "http://127.0.0.1:1/package/velmora/PCDownloadCfg.json",
       "cfg check err:Couldn't connect to server", ConfigOutcome::Unreachable},
      {"endless body", address("endless"),
       "cfg check err:the configuration is larger than " + std::to_string(kConfigMaxBytes) + " bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Fetched fetched = fetch(c.address);
    EXPECT_EQ(fetched.outcome, c.outcome);
    EXPECT_EQ(fetched.config.m_strPath, "old path");
    EXPECT_EQ(fetched.config.m_strGamePath, "old gamePath");
    EXPECT_EQ(fetched.config.m_strPackageName, "old packageName");
    ASSERT_EQ(fetched.lines.size(), 2u);
    EXPECT_EQ(fetched.lines[0], "cfg check start");
    if (c.error.back() == ' ')
      EXPECT_EQ(fetched.lines[1].substr(0, c.error.size()), c.error);
    else
      EXPECT_EQ(fetched.lines[1], c.error);
  }
}

// A text "version" is kept; one of another type is an extra member, as before it existed.
TEST(DownloadConfigReading, KeepsATextVersionOnly) {
  const struct {
    const char* document;
    const char* version;
  } cases[] = {
      {R"({"path":"p","gamePath":"g","packageName":"n","version":"2.1 beta"})", "2.1 beta"},
      {R"({"path":"p","gamePath":"g","packageName":"n","version":12345})", ""},
      {R"({"path":"p","gamePath":"g","packageName":"n"})", ""},
  };
  for (const auto& c : cases) {
    DownloadConfig config;
    std::string problem;
    EXPECT_TRUE(readDownloadConfig(c.document, config, problem)) << problem;
    EXPECT_EQ(config.m_strVersion, c.version) << c.document;
  }
}

// With a key, the document counts only with a valid signature by that key, pins the package
// and is neither older than the one accepted before nor expired; the package host signs
// with the local channel's key as each case asks.
TEST_F(CfgCheckRun, SignedDocumentsAreVerifiedPinnedAndNeverRolledBack) {
  const std::string pins = R"(,"packageSize":3,"packageSha256":")" + std::string(64, 'a') + "\"";
  const std::string pinned = R"({"path":"p","gamePath":"g","packageName":"n")" + pins + "}";
  char* escaped = curl_easy_escape(nullptr, pinned.data(), static_cast<int>(pinned.size()));
  const std::string escapedPinned = escaped;
  curl_free(escaped);
  const std::string rewritten = R"({"path":"p","gamePath":"http://elsewhere/x.7z","packageName":"n")" + pins + "}";
  std::string oneByte = pinned;
  oneByte[oneByte.find("\"p\"") + 1] = 'q';
  const std::string mismatch = "cfg check err:the signature does not match the document";
  const std::string older =
      "cfg check err:the signed configuration of 499 is older than the one accepted before, of 500";
  const std::string unpinned =
      "cfg check err:the signed configuration does not pin the package: "
      "\"packageSize\" and \"packageSha256\" are required";
  const struct {
    const char* what;
    std::string address;
    std::int64_t kept;      // the timestamp accepted before; 0: none
    std::int64_t now;       // -1: the clock
    std::string error;      // empty: accepted; else the line, or its beginning when it ends in " "
    const char* keptAfter;  // the timestamp file afterwards; nullptr: a time of signing
    std::string key = KVR_CHANNEL_PUBLIC_KEY;
  } cases[] = {
      {"pre-hashed, minisign's own comment", url("whole", pinned), 0, -1, "", nullptr},
      {"legacy", url("whole", pinned, "&sig=legacy"), 0, -1, "", nullptr},
      {"the bytes as sent, one a chunk", url("chunked", pinned, "&chunk=1"), 0, -1, "", nullptr},
      {"as old as the one accepted", url("whole", pinned, "&comment=timestamp:500"), 500, -1, "", "500\n"},
      {"newer than the one accepted", url("whole", pinned, "&comment=timestamp:600"), 500, -1, "", "600\n"},
      {"not yet expired", url("whole", pinned, "&comment=timestamp:600%20expires:2000"), 0, 1999, "", "600\n"},
      {"older than the one accepted", url("whole", pinned, "&comment=timestamp:499"), 500, -1, older, "500\n"},
      {"expired", url("whole", pinned, "&comment=timestamp:600%20expires:2000"), 0, 2000,
       "cfg check err:the signed configuration expired at 2000", ""},
      {"no timestamp", url("whole", pinned, "&comment=file:x"), 0, -1,
       "cfg check err:the signature's trusted comment has no timestamp", ""},
      {"the document rewritten", url("whole", rewritten, "&signed=" + escapedPinned), 0, -1, mismatch, ""},
      {"one byte changed", url("whole", oneByte, "&signed=" + escapedPinned), 0, -1, mismatch, ""},
      {"the signature removed", url("whole", pinned, "&sig=none"), 0, -1,
       "cfg check err:the configuration's signature is missing: " + url("whole", pinned, "&sig=none") +
           ".minisig answered 404",
       ""},
      {"not a signature", url("whole", pinned, "&sig=garbage"), 0, -1,
       "cfg check err:the signature is not four lines but 2", ""},
      {"another key", url("whole", pinned, "&sig=other"), 0, -1, "cfg check err:the signature is made with key ", ""},
      {"no package hash", url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSize":3})"), 0, -1,
       unpinned, ""},
      {"no package size",
       url("whole", R"({"path":"p","gamePath":"g","packageName":"n","packageSha256":")" + std::string(64, 'a') + "\"}"),
       0, -1, unpinned, ""},
      {"the launcher's key malformed", url("whole", pinned), 0, -1,
       "cfg check err:the launcher's key is not usable: the public key is not 42 bytes in Base64", "", "RWQ="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.kept > 0) {
      fs::create_directories(folder.path() / "kvr");
      writeFile(kConfigTimestampFile, std::to_string(c.kept) + "\n");
    }
    const Fetched fetched = fetch(c.address, DownloadEngine::instance().sharedHandle, kQuickRetries,
                                  ConfigTrust{c.key, kConfigTimestampFile, c.now});
    EXPECT_EQ(fetched.ok, c.error.empty());
    if (c.error.empty()) {
      EXPECT_EQ(fetched.config.m_strGamePath, "g");
      EXPECT_EQ(fetched.config.m_nPackageSize, 3);
    } else {
      EXPECT_EQ(fetched.config.m_strGamePath, "old gamePath");
      ASSERT_EQ(fetched.lines.size(), 2u);
      EXPECT_EQ(fetched.lines[1].substr(0, c.error.size()), c.error);
      if (c.error.back() != ' ') {
        EXPECT_EQ(fetched.lines[1], c.error);
      }
    }
    if (c.keptAfter) {
      EXPECT_EQ(fetched.keptTimestamp, c.keptAfter);
    } else {
      EXPECT_GT(std::stoll(fetched.keptTimestamp), 1'700'000'000);
    }
  }
}

// An https address is verified with the profile's authorities: the local authority that
// made the host's certificate is taken, an unrelated one refused; the signature comes the
// same way.
TEST_F(CfgCheckRun, HttpsAddressesAreVerifiedWithTheGivenAuthorities) {
  const std::string document = R"({"path":"p","gamePath":"g","packageName":"n","packageSize":3,"packageSha256":")" +
                               std::string(64, 'a') + "\"}";
  char* escaped = curl_easy_escape(nullptr, document.data(), static_cast<int>(document.size()));
  const std::string address =
      "https://localhost:" + std::to_string(fixturePort("tls_package_host")) + kConfigPath + "?body=" + escaped;
  curl_free(escaped);
  const std::string authorities = KVR_LOCAL_CA_DIR;
  for (const auto& [bundle, taken] :
       {std::pair{authorities + "/foreign-ca.pem", false}, {authorities + "/ca.pem", true}}) {
    SCOPED_TRACE(bundle);
    // A handle of each case's own: a handle keeps the authorities it was given.
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    const Fetched fetched = fetch(address, handle.get(), kQuickRetries,
                                  ConfigTrust{KVR_CHANNEL_PUBLIC_KEY, kConfigTimestampFile, -1, bundle});
    EXPECT_EQ(fetched.ok, taken);
    EXPECT_EQ(fetched.config.m_strGamePath, taken ? "g" : "old gamePath");
  }
}

TEST_F(CfgCheckRun, ReadsTheOptionalPackageChecks) {
  const std::string hex(64, 'a');
  const struct {
    const char* what;
    std::string extra;
    std::int64_t size;
    std::string sha256;
  } cases[] = {
      {"absent", "", -1, ""},
      {"both", R"(,"packageSize":1234567890123,"packageSha256":")" + std::string(64, 'A') + "\"", 1234567890123, hex},
      {"size alone", R"(,"packageSize":0)", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Fetched fetched = fetch(url("whole", R"({"path":"p","gamePath":"g","packageName":"n")" + c.extra + "}"));
    EXPECT_TRUE(fetched.ok);
    EXPECT_EQ(fetched.config.m_nPackageSize, c.size);
    EXPECT_EQ(fetched.config.m_strPackageSha256, c.sha256);
  }
}

TEST_F(CfgCheckRun, NoHandleIsAFailedInitialization) {
  const Fetched fetched = fetch(url("whole", kDocument), nullptr);
  EXPECT_FALSE(fetched.ok);
  EXPECT_EQ(fetched.lines, (std::vector<std::string>{"cfg check start", "cfg check err:Failed initialization"}));
}

// A host that is busy for a moment or a link that blinks costs the player nothing; a
// host that stays down is given up within the retry time, and only failures of the way
// (not an answer that is simply wrong) are tried again. Each run's addresses are its own,
// as the host counts its failures per address.
TEST_F(CfgCheckRun, TransientFailuresAreRetriedWithinTheirTime) {
  using std::chrono::milliseconds;
  const std::string run = "&run=" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::string refused = "http://127.0.0.1:1/package/velmora/PCDownloadCfg.json";
  const std::string notJson = "cfg check err:the configuration is not JSON: [json.exception.parse_error.101] ";
  const struct {
    const char* what;
    std::string address;
    RetryPauses pauses;
    milliseconds within;
    ConfigOutcome outcome;
    std::string error;       // the line's beginning; empty: the document was read
    milliseconds atLeast{};  // the pauses it must have waited
    milliseconds atMost = std::chrono::minutes(1);
  } cases[] = {
      {"503 twice, then the document",
       url("whole", kDocument, "&fail=503:2" + run),
       {milliseconds(50), milliseconds(50)},
       milliseconds(10000),
       ConfigOutcome::Ready,
       "",
       milliseconds(100)},
      {"503 throughout",
       url("whole", kDocument, "&fail=503:9" + run),
       {milliseconds(50), milliseconds(50)},
       milliseconds(10000),
       ConfigOutcome::Unreachable,
       notJson,
       milliseconds(100)},
      {"503, then a document that is no configuration",
       url("whole", "{", "&fail=503:1" + run),
       {milliseconds(50)},
       milliseconds(10000),
       ConfigOutcome::Unusable,
       notJson,
       milliseconds(50)},
      {"404 is an answer, not retried",
       url("whole", kDocument, "&fail=404:1" + run),
       {milliseconds(50)},
       milliseconds(10000),
       ConfigOutcome::Unusable,
       notJson},
      {"refused throughout",
       refused,
       {milliseconds(100), milliseconds(100), milliseconds(100)},
       milliseconds(10000),
       ConfigOutcome::Unreachable,
       "cfg check err:Couldn't connect to server",
       milliseconds(300)},
      // The second pause would start the third attempt after the retry time: it is not waited.
      {"refused, retry time over",
       refused,
       {milliseconds(400), milliseconds(3000), milliseconds(3000)},
       milliseconds(1000),
       ConfigOutcome::Unreachable,
       "cfg check err:Couldn't connect to server",
       milliseconds(400),
       milliseconds(2500)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConfigFetchLimits limits;
    limits.retryPauses = c.pauses;
    limits.retryWithin = c.within;
    const auto start = std::chrono::steady_clock::now();
    const Fetched fetched = fetch(c.address, DownloadEngine::instance().sharedHandle, limits);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(fetched.outcome, c.outcome);
    EXPECT_GE(elapsed, c.atLeast);
    EXPECT_LT(elapsed, c.atMost);
    if (c.error.empty()) {
      EXPECT_EQ(fetched.config.m_strPath, "D:/Games/kvr");
      EXPECT_EQ(fetched.lines.back(), "cfg check end");
    } else {
      ASSERT_EQ(fetched.lines.size(), 2u) << "one error line, however many attempts";
      EXPECT_EQ(fetched.lines[1].substr(0, c.error.size()), c.error);
    }
  }
}

// The limits are shortened here; they are libcurl's own options, set as given.
TEST_F(CfgCheckRun, StalledOrTricklingHostsEndWithinTheirLimits) {
  ConfigFetchLimits limits;
  limits.lowSpeedSeconds = 2;
  limits.timeoutSeconds = 4;
  limits.retryPauses = {};
  const struct {
    const char* mode;
    long seconds;  // the limit that ends it
  } cases[] = {
      {"stall", limits.lowSpeedSeconds},
      // 2 bytes a second stays above the low-speed floor: the overall limit ends it.
      {"trickle", limits.timeoutSeconds},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    const auto start = std::chrono::steady_clock::now();
    const Fetched fetched = fetch(url(c.mode, kDocument), DownloadEngine::instance().sharedHandle, limits);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(fetched.outcome, ConfigOutcome::Unreachable);
    EXPECT_EQ(fetched.lines, (std::vector<std::string>{"cfg check start", "cfg check err:Timeout was reached"}));
    EXPECT_GE(elapsed, std::chrono::seconds(c.seconds) - std::chrono::milliseconds(500));
    EXPECT_LT(elapsed, std::chrono::seconds(c.seconds + 3));
  }
}

// Documents that once killed the reader: a number beyond a double's range anywhere, and a
// refused member nested deeper than any stack could serialise (half the size cap).
TEST(ReadDownloadConfig, RefusesHostileDocumentsWithBoundedMessages) {
  const std::string head = R"({"path":"p","gamePath":"g","packageName":"n",)";
  const std::size_t depth = kConfigMaxBytes / 4;
  const std::string nested = std::string(depth, '[') + std::string(depth, ']');
  const struct {
    const char* what;
    std::string body;
    std::string problem;  // the whole message, or its beginning when it ends in "] "
  } cases[] = {
      {"number out of range in a member not read", head + R"("x":1e400})",
       "the configuration is not JSON: [json.exception.out_of_range.406] "},
      {"number out of range alone", "2e757", "the configuration is not JSON: [json.exception.out_of_range.406] "},
      {"deeply nested package size", head + R"("packageSize":)" + nested + "}",
       "member \"packageSize\" is not a byte count but array"},
      {"deeply nested package hash", head + R"("packageSha256":)" + nested + "}",
       "member \"packageSha256\" is not a SHA-256 in hexadecimal but array"},
      {"long package hash cut", head + R"("packageSha256":")" + std::string(100000, 'x') + "\"}",
       "member \"packageSha256\" is not a SHA-256 in hexadecimal but \"" + std::string(63, 'x') + "..."},
      {"long broken token cut", head + R"("packageSize":")" + std::string(100000, 'x'),
       "the configuration is not JSON: [json.exception.parse_error.101] "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DownloadConfig config{"old path", "old gamePath", "old packageName"};
    std::string problem;
    EXPECT_FALSE(readDownloadConfig(c.body, config, problem));
    EXPECT_EQ(config.m_strPath, "old path");
    EXPECT_EQ(config.m_strPackageName, "old packageName");
    EXPECT_LE(problem.size(), 300u);
    if (c.problem.back() == ' ')
      EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
    else
      EXPECT_EQ(problem, c.problem);
  }
}
