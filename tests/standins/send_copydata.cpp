// Sends one copy-data record to a window from a process of its own, as the game would.
//   send_copydata WINDOW_ID DWDATA [BYTES_AS_TEXT]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CopyData.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: send_copydata WINDOW_ID DWDATA [BYTES_AS_TEXT]\n");
    return 2;
  }
  const auto windowId = static_cast<int32_t>(std::strtoll(argv[1], nullptr, 10));
  const auto dwData = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  const std::string text = argc == 4 ? argv[3] : "";
  const std::vector<uint8_t> payload(text.begin(), text.end());
  return sendCopyData(windowId, dwData, payload) ? 0 : 1;
}
