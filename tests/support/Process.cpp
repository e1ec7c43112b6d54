#include "Process.h"

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = m_pending.find('\n');
    if (end != std::string::npos) {
      std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (!readMore(deadline)) return std::nullopt;
  }
}
