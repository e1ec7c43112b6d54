#include "DeviceFacts.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

namespace {

bool isWireless(const char* name) {
  struct stat info;
  return stat(("/sys/class/net/" + std::string(name) + "/wireless").c_str(), &info) == 0;
}

}  // namespace

bool createGuid(Guid& guid) {
  // A random (version 4) GUID, as the Windows call makes.
  uint8_t bytes[16];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return false;
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0f) | 0x40);
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3f) | 0x80);
  guid.data1 = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
  guid.data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
  guid.data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) guid.data4[i] = bytes[8 + i];
  return true;
}

bool listNetworkAdapters(std::vector<NetworkAdapter>& adapters) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  adapters.clear();
  // One link-layer entry per interface, in interface-index order.
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    const size_t length = std::min<size_t>(link->sll_halen, sizeof link->sll_addr);
    adapters.push_back({std::vector<uint8_t>(link->sll_addr, link->sll_addr + length),
                        link->sll_hatype == ARPHRD_ETHER && !isWireless(entry->ifa_name)});
  }
  freeifaddrs(list);
  return true;
}

bool systemAtLeast(unsigned, unsigned, unsigned) {
  // Not Windows: no row of the version table applies, so the name stays empty.
  return false;
}
