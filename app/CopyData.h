// Copy-data records to another program's window by its id, as Windows' WM_COPYDATA
// carries them.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

// How long a sender waits for the receiver to take a record: a client whose window no
// longer answers must not keep the launcher from ending.
inline constexpr std::chrono::milliseconds kCopyDataTimeout{3000};

// Sends the record (`dwData`, `payload`) to the window `windowId`, with wParam carrying
// the same id, and returns once the receiver has taken it. False when no window has that
// id (promptly, never a hang or a crash), the record could not be delivered, or the
// receiver did not take it within kCopyDataTimeout.
//
// Windows: SendMessageTimeoutW(WM_COPYDATA) with SMTO_ABORTIFHUNG.
// X11: the sender puts the payload as an 8-bit property "_KVR_COPYDATA" of type
// "_KVR_COPYDATA" on a window of its own, then sends the target a client message of type
// "_KVR_COPYDATA", format 32: l[0] dwData, l[1] wParam, l[2] the sender's window, l[3] the
// property's atom. The receiver reads the property and deletes it, which tells the sender
// the record was taken.
bool sendCopyData(int32_t windowId, uint32_t dwData, const std::vector<uint8_t>& payload);
