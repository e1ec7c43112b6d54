#include "ProxyRules.h"

#include <vector>

namespace {

std::string lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::vector<std::string> entries(const std::string& list, const char* separators) {
  std::vector<std::string> found;
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t end = list.find_first_of(separators, start);
    const std::size_t stop = end == std::string::npos ? list.size() : end;
    if (stop > start) found.push_back(list.substr(start, stop - start));
    start = stop + 1;
  }
  return found;
}

// '*' stands for any run of characters.
bool globMatch(const std::string& pattern, const std::string& text) {
  std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::string urlScheme(const std::string& url) {
  const std::size_t end = url.find("://");
  return end == std::string::npos ? std::string() : lowered(url.substr(0, end));
}

std::string urlHost(const std::string& url) {
  const std::size_t marker = url.find("://");
  std::size_t start = marker == std::string::npos ? 0 : marker + 3;
  const std::size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const std::size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    return lowered(authority.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  }
  return lowered(authority.substr(0, authority.find(':')));
}

std::string proxyFromList(const std::string& list, const std::string& url) {
  const std::string scheme = urlScheme(url);
  std::string own, all, socks;
  for (const std::string& entry : entries(list, "; \t\r\n")) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) {
      if (all.empty()) all = entry;
      continue;
    }
    const std::string key = lowered(entry.substr(0, equals));
    const std::string value = entry.substr(equals + 1);
    if (value.empty()) continue;
    if (key == scheme && own.empty()) own = value;
    if (key == "socks" && socks.empty()) socks = value;
  }
  const std::string& chosen = !own.empty() ? own : !all.empty() ? all : socks;
  if (chosen.empty() || chosen.find("://") != std::string::npos) return chosen;
  return (&chosen == &socks ? "socks4://" : "http://") + chosen;
}

bool bypassesProxy(const std::string& bypass, const std::string& url) {
  const std::string host = urlHost(url);
  if (host.empty()) return false;
  for (std::string entry : entries(lowered(bypass), ";, \t\r\n")) {
    if (entry == "<local>") {
      if (host.find_first_of(".:") == std::string::npos) return true;
      continue;
    }
    const std::size_t marker = entry.find("://");
    if (marker != std::string::npos) entry.erase(0, marker + 3);
    if (globMatch(entry, host)) return true;
  }
  return false;
}
