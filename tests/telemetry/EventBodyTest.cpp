#include <gtest/gtest.h>

#include <string>

#include "DownloadEngine.h"

TEST(EventBody, FixedFormInOrderSignedOverUdidAndKey) {
  // Signatures computed apart from our MD5: md5(udid + "Qw7rTz2LmN4pXs9VbK3dHf6JcY8gUa1E").
  const struct {
    const char* type;
    const char* osName;
    const char* mac;
    const char* udid;
    const char* body;
  } cases[] = {
      {"launch_start", "Windows8OrGreater", "00:1A:2B:3C:4D:5E", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}",
       "type=launch_start&device_model=d&os_ver=o&os_name=Windows8OrGreater&mac_addr=00:1A:2B:3C:4D:5E"
       "&udid={0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}&app_ver=1.0.0&network=wifi"
       "&platform_tag=flash_launch&sign=1c7e94f5c48eab2ed41302b4ce4a71e8"},
      // The exit event keeps its blank; no adapter and no OS name leave their values empty;
      // other fields do not change the signature.
      {"close launch", "", "", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}",
       "type=close launch&device_model=d&os_ver=o&os_name=&mac_addr=&udid={0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"
       "&app_ver=1.0.0&network=wifi&platform_tag=flash_launch&sign=1c7e94f5c48eab2ed41302b4ce4a71e8"},
      // The processor-based udid of a machine where no GUID could be made.
      {"game_start", "Windows7OrGreater", "", "00000000AAAAAAAA",
       "type=game_start&device_model=d&os_ver=o&os_name=Windows7OrGreater&mac_addr=&udid=00000000AAAAAAAA"
       "&app_ver=1.0.0&network=wifi&platform_tag=flash_launch&sign=1aca8cb7e2fb220e2178e7ffc4ce4ddc"},
  };
  for (const auto& c : cases) EXPECT_EQ(eventBody(c.type, c.osName, c.mac, c.udid), c.body);
}
