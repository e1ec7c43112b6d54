#include "DeviceInfo.h"

#include <cpuid.h>

#include <cstdio>

namespace {

struct VersionRow {
  const char* name;
  unsigned major;
  unsigned minor;
  unsigned servicePack;
};

constexpr VersionRow kVersions[] = {
    {"XPOrGreater", 5, 1, 0},       {"XPSP1OrGreater", 5, 1, 1},          {"XPSP2OrGreater", 5, 1, 2},
    {"XPSP3OrGreater", 5, 1, 3},    {"VistaOrGreater", 6, 0, 0},          {"VistaSP1OrGreater", 6, 0, 1},
    {"VistaSP2OrGreater", 6, 0, 2}, {"Windows7OrGreater", 6, 1, 0},       {"Windows7SP1OrGreater", 6, 1, 1},
    {"Windows8OrGreater", 6, 2, 0}, {"Windows8Point1OrGreater", 6, 3, 0}, {"Windows10OrGreater", 10, 0, 0},
};

std::string processorId() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid(0, eax, ebx, ecx, edx);
  unsigned leaf1Eax = 0, leaf1Edx = 0;
  if (eax >= 1) __cpuid(1, leaf1Eax, ebx, ecx, leaf1Edx);
  char text[17];
  snprintf(text, sizeof text, "%08X%08X", leaf1Edx, leaf1Eax);
  return text;
}

}  // namespace

std::string guidText(const Guid& guid) {
  char text[39];
  snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(guid.data1),
           unsigned{guid.data2}, unsigned{guid.data3}, unsigned{guid.data4[0]}, unsigned{guid.data4[1]},
           unsigned{guid.data4[2]}, unsigned{guid.data4[3]}, unsigned{guid.data4[4]}, unsigned{guid.data4[5]},
           unsigned{guid.data4[6]}, unsigned{guid.data4[7]});
  return text;
}

std::string makeUdid() {
  Guid guid{};
  if (createGuid(guid)) return guidText(guid);
  return processorId();
}

std::string firstEthernetAddress(const std::vector<NetworkAdapter>& adapters) {
  for (const NetworkAdapter& adapter : adapters) {
    if (!adapter.ethernet || adapter.address.size() != 6) continue;
    const std::vector<uint8_t>& a = adapter.address;
    char text[18];
    snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", unsigned{a[0]}, unsigned{a[1]}, unsigned{a[2]},
             unsigned{a[3]}, unsigned{a[4]}, unsigned{a[5]});
    return text;
  }
  return {};
}

std::string macAddressText() {
  std::vector<NetworkAdapter> adapters;
  if (!listNetworkAdapters(adapters)) return {};
  return firstEthernetAddress(adapters);
}

std::string osVersionName() {
  std::string name;
  for (const VersionRow& row : kVersions)
    if (systemAtLeast(row.major, row.minor, row.servicePack)) name = row.name;
  return name;
}
