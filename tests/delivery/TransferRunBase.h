// What the package transfer tests share: a folder of the test's own with ./kvr, the
// package's bytes served and read back.
#pragma once

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>

#include "FixtureServers.h"
#include "PackageTransfer.h"
#include "TestFolder.h"

inline constexpr char kPackage[] = "./kvr/kvr.7z";

// `size` bytes of noise, the same for the same seed.
inline std::string randomBytes(std::int64_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// Transfer options built member by member: GCC 12 at -O3 takes a braced temporary of
// them for uninitialized (a false maybe-uninitialized on the check's text).
inline TransferOptions transferOptions(const PackageCheck& check, const RetryPauses& pauses = {},
                                       TransferProgress progress = {}) {
  TransferOptions options;
  options.check = check;
  options.pauses = pauses;
  options.progress = std::move(progress);
  return options;
}

// Transfers from the fixture server `server`; `served` is what it serves as the package.
class TransferRunBase : public testing::Test {
 protected:
  explicit TransferRunBase(std::string server) : m_server(std::move(server)) {}

  void SetUp() override {
    ASSERT_NE(fixturePort(m_server), 0) << "the " << m_server << " fixture is not running";
    std::filesystem::create_directories("kvr");
  }

  // The package file as the transfer left it.
  std::string kept() const { return std::filesystem::exists(kPackage) ? readFile(kPackage) : std::string("<none>"); }

  TestFolder folder;
  std::string served;

 private:
  std::string m_server;
};
