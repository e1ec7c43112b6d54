#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "DeviceInfo.h"

TEST(DeviceInfo, GuidTextIsBracedUpperCaseInWindowsOrder) {
  const Guid guid{0x0f1e2d3c, 0x4b5a, 0x6978, {0x87, 0x96, 0xa5, 0xb4, 0xc3, 0xd2, 0xe1, 0xf0}};
  EXPECT_EQ(guidText(guid), "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}");
  const Guid small{0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 0x4}};
  EXPECT_EQ(guidText(small), "{00000001-0002-0003-0000-000000000004}");
}

TEST(DeviceInfo, EveryUdidIsANewGuid) {
  const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    const std::string udid = makeUdid();
    EXPECT_TRUE(std::regex_match(udid, form)) << udid;
    EXPECT_TRUE(seen.insert(udid).second) << udid;
  }
}

TEST(DeviceInfo, MacAddressOfTheFirstWiredEthernetAdapter) {
  const std::vector<uint8_t> wired{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
  const std::vector<uint8_t> other{0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
  const struct {
    const char* what;
    std::vector<NetworkAdapter> adapters;
    const char* text;
  } cases[] = {
      {"no adapter", {}, ""},
      {"wireless only", {{wired, false}, {other, false}}, ""},
      {"Ethernet after wireless", {{other, false}, {wired, true}}, "00:1A:2B:3C:4D:5E"},
      {"first of two Ethernet", {{wired, true}, {other, true}}, "00:1A:2B:3C:4D:5E"},
      {"address not 6 bytes", {{{1, 2, 3, 4, 5, 6, 7, 8}, true}, {{}, true}, {other, true}}, "AA:BB:CC:DD:EE:FF"},
  };
  for (const auto& c : cases) EXPECT_EQ(firstEthernetAddress(c.adapters), c.text) << c.what;
}

TEST(DeviceInfo, MachineFactsHaveTheirForms) {
  const std::string mac = macAddressText();
  EXPECT_TRUE(mac.empty() || std::regex_match(mac, std::regex("([0-9A-F]{2}:){5}[0-9A-F]{2}"))) << mac;
  const std::set<std::string> names{"",
                                    "XPOrGreater",
                                    "XPSP1OrGreater",
                                    "XPSP2OrGreater",
                                    "XPSP3OrGreater",
                                    "VistaOrGreater",
                                    "VistaSP1OrGreater",
                                    "VistaSP2OrGreater",
                                    "Windows7OrGreater",
                                    "Windows7SP1OrGreater",
                                    "Windows8OrGreater",
                                    "Windows8Point1OrGreater",
                                    "Windows10OrGreater"};
  EXPECT_EQ(names.count(osVersionName()), 1u) << osVersionName();
}
