// The device facts an event report carries, in the text forms the collector expects.
#pragma once

#include <string>
#include <vector>

#include "DeviceFacts.h"

// A new device id: the GUID text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (38 upper-case
// characters), or, when no GUID can be made, 16 hexadecimal digits from the processor's
// CPUID leaf 1 (EDX then EAX), the same on every call.
std::string makeUdid();

// The GUID in the braced upper-case text form.
std::string guidText(const Guid& guid);

// The hardware address of the first wired Ethernet adapter with a 6-byte address as
// "XX:XX:XX:XX:XX:XX"; empty when there is none or the adapters cannot be listed.
std::string macAddressText();
std::string firstEthernetAddress(const std::vector<NetworkAdapter>& adapters);

// The name of the newest row of the Windows version table the system satisfies
// ("XPOrGreater" ... "Windows10OrGreater"); empty when none does.
std::string osVersionName();
