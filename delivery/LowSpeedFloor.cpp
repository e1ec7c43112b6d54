#include "LowSpeedFloor.h"

LowSpeedFloor::LowSpeedFloor(std::int64_t bytesPerSecond, long seconds)
    : m_bytesPerWindow(bytesPerSecond * seconds), m_window(std::chrono::seconds(seconds)) {}

bool LowSpeedFloor::tooSlow(std::int64_t received, std::chrono::steady_clock::time_point now) {
  if (!m_started || received - m_receivedSince >= m_bytesPerWindow) {
    m_started = true;
    m_since = now;
    m_receivedSince = received;
    return false;
  }
  return now - m_since >= m_window;
}
