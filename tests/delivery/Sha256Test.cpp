#include <gtest/gtest.h>

#include <string>

#include "Sha256.h"

TEST(Sha256, KnownAnswersInOnePieceAndInMany) {
  const struct {
    std::string text;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    Sha256 whole;
    ASSERT_TRUE(whole.valid());
    whole.update(c.text.data(), c.text.size());
    EXPECT_EQ(whole.hexDigest(), c.digest);
    // Uneven pieces, and the object is reusable after a digest.
    for (std::size_t at = 0, step = 1; at < c.text.size(); at += step, step = step * 3 + 1)
      whole.update(c.text.data() + at, std::min(step, c.text.size() - at));
    EXPECT_EQ(whole.hexDigest(), c.digest);
  }
}
