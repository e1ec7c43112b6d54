#include <gtest/gtest.h>

#include <string>

#include "ConfigSignature.h"

namespace {

// Made by Debian's minisign 0.11: a key pair without password (only the public key is
// kept), the document below signed pre-hashed (the default) and legacy (-l), and the
// same document signed with another key.
const char kPublicKey[] = "RWRf+7vB+J/EBS6to+P568QRr9PceJ+JZ7YD0vrxUVXwllBxGglwsbpC";
const char kDocument[] = "{\"a\":1}\n";
const char kPrehashed[] =
    "untrusted comment: signature from minisign secret key\n"
    "RURf+7vB+J/EBTW8xEfM5gsPallZylP3HtnyqAazxtCuNSzlaCeS77GSVfMuh6G5jT3RL8yz/lGNvxBHU+9t0eGS8cMAgP1WbAM=\n"
    "trusted comment: timestamp:1796955980\tfile:d.json\thashed\n"
    "NHco7z4Zvdt33SGnscnBISacqo/w+o5c1nzQDgTSxpHPZmzi05TYmJwqEGKzahmSYEaa/jVpZEblj503CegpCQ==\n";
const char kLegacy[] =
    "untrusted comment: signature from minisign secret key\n"
    "RWRf+7vB+J/EBRe8JLSefVKrtjWaYwQHNr6X0yjSAPX/P4CxE6TStrJihd3/kLWmPKpOX/llltGAcmhC99TTqaAzvdxfF5dpMgU=\n"
    "trusted comment: timestamp:1796955980\tfile:d.json\n"
    "gGOmr5A8cbUaj6WGp6G8nbs+NE1xB/C52O7ntjlZDONwVFxEog1eBnJEflTlglP7GXVrc7bEVceh6meSse6OBQ==\n";
const char kOtherKey[] =
    "untrusted comment: signature from minisign secret key\n"
    "RUTnsF0JVhNgrKacP+xlFFhxf8Ur780eM/PMeDINkqpAKZrOvZwM2Y6uabadOQdiJVH7mmACM41cwao6wV/wwWxCeKVBnLvMhQk=\n"
    "trusted comment: timestamp:1796956456\tfile:d.json\thashed\n"
    "HQVk0ENqwDtc9xKhwyBKjUlwyhm9kYLnSwDj6pLCoxajK7L2IRS9oOso7RW9SFCgPRh0OqIHrRuwKC5mOgq1CQ==\n";

// `text` with its first `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

SignerKey publicKey() {
  SignerKey key;
  std::string problem;
  EXPECT_TRUE(readSignerKey(kPublicKey, key, problem)) << problem;
  return key;
}

}  // namespace

TEST(ConfigSignature, ReadsPublicKeysAsMinisignPrintsThem) {
  const std::string file = std::string("untrusted comment: minisign public key 5C49FF8C1BBFB5F\n") + kPublicKey + "\n";
  const struct {
    const char* what;
    std::string text;
    bool read;
  } cases[] = {
      {"the key line", kPublicKey, true},
      {"the key file", file, true},
      {"the key file with CR LF", replaced(file, "\n", "\r\n"), true},
      {"empty", "", false},
      {"the key twice", std::string(kPublicKey) + "\n" + kPublicKey, false},
      {"a blank inside", replaced(kPublicKey, "RWRf", "RWRf "), false},
      {"a character beyond Base64", replaced(kPublicKey, "+", "-"), false},
      {"one character short", std::string(kPublicKey).substr(1), false},
      {"another algorithm", replaced(kPublicKey, "RWRf", "RWNf"), false},
      {"a signature's first line", "untrusted comment: x\n", false},
  };
  for (const auto& c : cases) {
    SignerKey key;
    key.keyId.fill(7);
    std::string problem;
    EXPECT_EQ(readSignerKey(c.text, key, problem), c.read) << c.what;
    if (c.read) {
      EXPECT_EQ(keyIdText(key.keyId), "05C49FF8C1BBFB5F") << c.what;
    } else {
      EXPECT_EQ(key.keyId[0], 7) << c.what << ": a refused key changed the output";
      EXPECT_FALSE(problem.empty()) << c.what;
    }
  }
}

TEST(ConfigSignature, VerifiesBothOfMinisignsModesAndRefusesEveryChange) {
  const SignerKey key = publicKey();
  const struct {
    const char* what;
    std::string signature;
    std::string document;
    const char* problem;  // nullptr: verified
  } cases[] = {
      {"pre-hashed", kPrehashed, kDocument, nullptr},
      {"legacy", kLegacy, kDocument, nullptr},
      {"CR LF line ends", replaced(replaced(kPrehashed, "key\n", "key\r\n"), "hashed\n", "hashed\r\n"), kDocument,
       nullptr},
      {"no final line end", std::string(kLegacy, sizeof kLegacy - 2), kDocument, nullptr},
      {"one byte of the document changed", kPrehashed, "{\"a\":2}\n", "the signature does not match the document"},
      {"legacy, one byte changed", kLegacy, "{\"a\":2}\n", "the signature does not match the document"},
      {"the document without its line end", kPrehashed, "{\"a\":1}", "the signature does not match the document"},
      {"the document with CR LF", kPrehashed, "{\"a\":1}\r\n", "the signature does not match the document"},
      {"the trusted comment changed", replaced(kPrehashed, "timestamp:1796955980", "timestamp:1896955980"), kDocument,
       "the signature's trusted comment does not match its signature"},
      // A pre-hashed signature taken for a legacy one checks other bytes.
      {"the mode changed", replaced(kPrehashed, "RURf", "RWRf"), kDocument,
       "the signature does not match the document"},
      {"another key", kOtherKey, kDocument,
       "the signature is made with key AC601356095DB0E7, not with the launcher's key 05C49FF8C1BBFB5F"},
      // The untrusted comment is what it says.
      {"the untrusted comment changed", replaced(kPrehashed, "from minisign", "from anyone"), kDocument, nullptr},
  };
  for (const auto& c : cases) {
    DocumentSignature signature;
    std::string problem;
    ASSERT_TRUE(readDocumentSignature(c.signature, signature, problem)) << c.what << ": " << problem;
    EXPECT_EQ(verifyDocument(key, signature, c.document, problem), c.problem == nullptr) << c.what;
    if (c.problem) {
      EXPECT_EQ(problem, c.problem) << c.what;
    }
  }
}

TEST(ConfigSignature, RefusesMalformedSignatureFiles) {
  const std::string valid = kPrehashed;
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"three lines", valid.substr(0, valid.rfind("trusted comment:"))},
      {"a fifth line", valid + "more\n"},
      {"a blank line after", valid + "\n"},
      {"no untrusted comment", replaced(valid, "untrusted comment: ", "comment: ")},
      {"no trusted comment", replaced(valid, "trusted comment: timestamp", "trusted: timestamp")},
      {"the signature line cut", replaced(valid, "WbAM=", "WbA=")},
      {"the signature line with a blank", replaced(valid, "RURf", "RURf ")},
      {"another algorithm", replaced(valid, "RURf", "RUNf")},
      {"the comment signature cut", replaced(valid, "CQ==", "")},
      {"the comment signature padded inside", replaced(valid, "NHco", "NH=o")},
      {"bits beyond the last byte", replaced(valid, "CQ==", "CR==")},
      {"larger than the bound", valid + std::string(kSignatureMaxBytes, 'x')},
  };
  for (const auto& c : cases) {
    DocumentSignature signature;
    signature.trustedComment = "before";
    std::string problem;
    EXPECT_FALSE(readDocumentSignature(c.text, signature, problem)) << c.what;
    EXPECT_FALSE(problem.empty()) << c.what;
    EXPECT_LT(problem.size(), 200u) << c.what;
    EXPECT_EQ(signature.trustedComment, "before") << c.what;
  }
}

TEST(ConfigSignature, ReadsTimesFromTheTrustedComment) {
  const struct {
    const char* comment;
    bool read;
    std::int64_t timestamp;
    std::int64_t expires;
  } cases[] = {
      // clang-format off
      {"timestamp:1796955980\tfile:d.json\thashed", true, 1796955980, -1},
      {"timestamp:5 expires:9", true, 5, 9},
      {"expires:9\ttimestamp:0", true, 0, 9},
      {"", true, -1, -1},
      {"file:timestamp:5", true, -1, -1},
      {"released timestamp:7  ", true, 7, -1},
      {"timestamp:", false, 0, 0},
      {"timestamp:-5", false, 0, 0},
      {"timestamp:+5", false, 0, 0},
      {"timestamp:12x", false, 0, 0},
      {"timestamp:1 timestamp:2", false, 0, 0},
      {"expires:1 expires:1", false, 0, 0},
      {"timestamp:1234567890123456789", false, 0, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    TrustedTimes times{42, 42};
    std::string problem;
    EXPECT_EQ(readTrustedTimes(c.comment, times, problem), c.read) << c.comment;
    if (c.read) {
      EXPECT_EQ(times.timestamp, c.timestamp) << c.comment;
      EXPECT_EQ(times.expires, c.expires) << c.comment;
    } else {
      EXPECT_EQ(times.timestamp, 42) << c.comment;
      EXPECT_FALSE(problem.empty()) << c.comment;
    }
  }
}
