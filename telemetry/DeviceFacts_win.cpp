#include "DeviceFacts.h"

#include <windows.h>
#include <iphlpapi.h>
#include <objbase.h>

#include <algorithm>
#include <memory>

bool createGuid(Guid& guid) {
  GUID created;
  if (FAILED(CoCreateGuid(&created))) return false;
  guid.data1 = created.Data1;
  guid.data2 = created.Data2;
  guid.data3 = created.Data3;
  for (int i = 0; i < 8; ++i) guid.data4[i] = created.Data4[i];
  return true;
}

bool listNetworkAdapters(std::vector<NetworkAdapter>& adapters) {
  // Room for one adapter first; a machine with more asks for the size it needs.
  ULONG size = sizeof(IP_ADAPTER_INFO);
  auto records = std::make_unique<IP_ADAPTER_INFO[]>(1);
  if (GetAdaptersInfo(records.get(), &size) == ERROR_BUFFER_OVERFLOW)
    records = std::make_unique<IP_ADAPTER_INFO[]>((size + sizeof(IP_ADAPTER_INFO) - 1) / sizeof(IP_ADAPTER_INFO));
  if (GetAdaptersInfo(records.get(), &size) != ERROR_SUCCESS) return false;

  adapters.clear();
  for (const IP_ADAPTER_INFO* info = records.get(); info; info = info->Next) {
    const UINT length = std::min<UINT>(info->AddressLength, MAX_ADAPTER_ADDRESS_LENGTH);
    adapters.push_back(
        {std::vector<uint8_t>(info->Address, info->Address + length), info->Type == MIB_IF_TYPE_ETHERNET});
  }
  return true;
}

bool systemAtLeast(unsigned major, unsigned minor, unsigned servicePack) {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof wanted;
  wanted.dwMajorVersion = major;
  wanted.dwMinorVersion = minor;
  wanted.wServicePackMajor = static_cast<WORD>(servicePack);
  DWORDLONG conditions = 0;
  conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
  conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
  conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, conditions) != FALSE;
}
