// What the launcher tells the channel client's window: one close notice when the
// user closes the launcher.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr uint32_t kCloseNoticeData = 1;
inline constexpr size_t kCloseNoticeSize = 528;

// The close notice's payload, little-endian on every platform: a 32-bit 1, a text field of
// 260 UTF-16 units holding "1" and zeros, a 32-bit 1.
std::vector<uint8_t> closeNoticePayload();

// Sends the close notice to the client window `nWinId` and waits until it is taken.
// Nothing is sent for 0 or a negative id (the client gave none). Returns whether the
// notice was taken; the launcher does not act on the answer.
bool sendCloseNotice(int32_t nWinId);
