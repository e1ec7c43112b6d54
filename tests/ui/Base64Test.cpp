#include <gtest/gtest.h>

#include <string>

#include "Base64.h"

using namespace std::string_literals;

namespace {

struct Vector {
  std::string bytes, text;
};

// RFC 4648, section 10, and bytes the alphabet's last characters and zero come from.
const Vector kVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {"\xfb\xff\xbf", "+/+/"},
    {"\0"s, "AA=="},
    {"ab\0cd"s, "YWIAY2Q="},
};

}  // namespace

TEST(Base64, Vectors) {
  for (const Vector& v : kVectors) {
    EXPECT_EQ(Base64Encode(v.bytes), v.text) << v.text;
    if (!v.text.empty()) {
      EXPECT_EQ(Base64Decode(v.text), v.bytes) << v.text;
    }
  }
}

TEST(Base64, EveryByteRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  for (size_t length = 0; length <= bytes.size(); length += 37) {
    const std::string part = bytes.substr(bytes.size() - length);
    const std::string text = Base64Encode(part);
    EXPECT_EQ(text.size() % 4, 0u);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    if (!part.empty()) {
      EXPECT_EQ(Base64Decode(text), part) << length;
    }
  }
}

TEST(Base64, MalformedTextIsRefused) {
  const std::string cases[] = {
      "",     // empty
      "Zg=",  // length not a multiple of 4
      "Zm9vY",
      "Zm9vYmFyZ",
      "Zm9-",  // URL-safe alphabet
      "Zm9_",
      "Zm9v Yg==",  // blanks and line breaks
      "Zm9v\r\nYg==",
      "Zm9v\0Yg=="s,
      "Zm9\xc3\xa9",  // a byte outside ASCII
      "Zg=a",         // "=" not at the end
      "=Zg=",
      "Zg==Zg==",
      "Z===",  // three "=" leave one character for a byte
      "====",
      "Zm9vYg=\n",
  };
  for (const std::string& text : cases) EXPECT_EQ(Base64Decode(text), std::nullopt) << text;
}
