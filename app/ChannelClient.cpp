#include "ChannelClient.h"

#include "CopyData.h"

#include <string_view>

namespace {

constexpr size_t kTextOffset = 4;
constexpr size_t kTextUnits = 260;
constexpr size_t kTrailerOffset = kTextOffset + 2 * kTextUnits;

void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> closeNoticePayload() {
  std::vector<uint8_t> payload(kCloseNoticeSize, 0);
  put32(payload, 0, 1);
  const std::u16string_view text = u"1";
  static_assert(kTrailerOffset + 4 == kCloseNoticeSize);
  for (size_t i = 0; i < text.size() && i < kTextUnits - 1; ++i) {
    payload[kTextOffset + 2 * i] = static_cast<uint8_t>(text[i]);
    payload[kTextOffset + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  put32(payload, kTrailerOffset, 1);
  return payload;
}

bool sendCloseNotice(int32_t nWinId) {
  if (nWinId <= 0) return false;
  return sendCopyData(nWinId, kCloseNoticeData, closeNoticePayload());
}
