#include "ui/DownloadMeter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t kLongestTimeLeft = 100 * 3600;

std::wstring twoDigits(std::int64_t value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

// One decimal below 10, whole numbers above, so the speed keeps its width as it changes.
std::wstring figure(double value) {
  if (value < 9.95) {
    const long tenths = std::lround(value * 10);
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
  }
  return std::to_wstring(std::lround(value));
}

std::wstring speedText(double bytesPerSecond) {
  if (bytesPerSecond < 999.5) return std::to_wstring(std::lround(bytesPerSecond)) + L" B/s";
  const double kilobytes = bytesPerSecond / 1024;
  if (kilobytes < 999.5) return figure(kilobytes) + L" KB/s";
  return figure(kilobytes / 1024) + L" MB/s";
}

std::wstring timeText(std::int64_t seconds) {
  const std::int64_t hours = seconds / 3600;
  const std::wstring minutes = twoDigits(seconds / 60 % 60) + L":" + twoDigits(seconds % 60);
  return L"剩余 " + (hours > 0 ? std::to_wstring(hours) + L":" + minutes : minutes);
}

}  // namespace

void DownloadMeter::add(Clock::time_point at, std::int64_t bytes) {
  if (!m_samples.empty() && bytes < m_samples.back().bytes) m_samples.clear();
  if (m_samples.empty()) m_first = at;
  m_samples.push_back({at, bytes});
  // Keep one sample at or before the window's start, so the window is always spanned.
  while (m_samples.size() > 2 && m_samples[1].at <= at - kWindow) m_samples.pop_front();
}

std::optional<double> DownloadMeter::bytesPerSecond() const {
  if (m_samples.size() < 2) return std::nullopt;
  const Sample& last = m_samples.back();
  const Sample& first = m_samples.front();
  const double seconds = std::chrono::duration<double>(last.at - first.at).count();
  if (seconds <= 0) return std::nullopt;
  return static_cast<double>(last.bytes - first.bytes) / seconds;
}

std::optional<std::int64_t> DownloadMeter::secondsLeft(std::int64_t total) const {
  const std::optional<double> speed = bytesPerSecond();
  if (!speed || *speed <= 0 || m_samples.back().at - m_first < kSettle) return std::nullopt;
  const double seconds =
      std::ceil(static_cast<double>(std::max<std::int64_t>(total - m_samples.back().bytes, 0)) / *speed);
  if (seconds > kLongestTimeLeft) return std::nullopt;
  return static_cast<std::int64_t>(seconds);
}

std::wstring downloadProgressText(std::int64_t bytes, std::int64_t total, std::optional<double> bytesPerSecond,
                                  std::optional<std::int64_t> secondsLeft) {
  const std::int64_t percent = total > 0 ? std::clamp<std::int64_t>(bytes * 100 / total, 0, 100) : 0;
  std::wstring text = std::to_wstring(percent) + L"%";
  if (bytesPerSecond) text += L"  " + speedText(*bytesPerSecond);
  if (secondsLeft) text += L"  " + timeText(*secondsLeft);
  return text;
}
