#include <gtest/gtest.h>

#include <string>

#include "Md5.h"

namespace {

std::string md5Of(const std::string& message, size_t pieceSize) {
  Md5 md5;
  for (size_t at = 0; at < message.size(); at += pieceSize)
    md5.update(message.data() + at, std::min(pieceSize, message.size() - at));
  return md5.hexDigest();
}

}  // namespace

TEST(Md5, Rfc1321TestSuite) {
  const struct {
    const char* message;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
  };
  for (const auto& c : cases) EXPECT_EQ(md5Of(c.message, 1000), c.digest) << '"' << c.message << '"';
}

TEST(Md5, SameDigestWhateverTheMessageIsFedIn) {
  // Pieces that end before, at and across the 64-byte block and the 56-byte padding border.
  const std::string million(1000000, 'a');
  for (size_t pieceSize : {1u, 55u, 56u, 63u, 64u, 65u, 4096u, 1000000u})
    EXPECT_EQ(md5Of(million, pieceSize), "7707d6ae4e027c70eea2a935c2296f21") << pieceSize;
}

TEST(Md5, DigestStartsTheNextMessage) {
  Md5 md5;
  md5.update("abc", 3);
  EXPECT_EQ(md5.hexDigest(), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5.hexDigest(), "d41d8cd98f00b204e9800998ecf8427e");
}
