// What the platform tells about the machine for event reports: its network adapters,
// a new GUID and whether it runs at least a given Windows version.
#pragma once

#include <cstdint>
#include <vector>

struct Guid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

struct NetworkAdapter {
  std::vector<uint8_t> address;  // hardware address, as long as the adapter reports it
  bool ethernet;                 // wired Ethernet (not wireless, loopback or tunnel)
};

// A new random GUID; false when the system could not make one.
bool createGuid(Guid& guid);

// The machine's network adapters in the system's order; false when the list cannot be read.
bool listNetworkAdapters(std::vector<NetworkAdapter>& adapters);

// Whether the running system is at least Windows `major`.`minor` with service pack
// `servicePack`, as the system answers it to a program without a supported-OS list.
// Never true on a system that is not Windows.
bool systemAtLeast(unsigned major, unsigned minor, unsigned servicePack);
