#include "ResponseHead.h"

#include "ControlCharacters.h"

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of header `name` when `line` is that header, trimmed; else false.
bool headerValue(std::string_view line, std::string_view name, std::string& value) {
  if (line.size() <= name.size() || line[name.size()] != ':') return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (lowerAscii(line[i]) != name[i]) return false;
  std::string_view rest = line.substr(name.size() + 1);
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' ' || rest.back() == '\t'))
    rest.remove_suffix(1);
  value.assign(rest);
  return true;
}

// A decimal number that fills `text`; -1 otherwise.
std::int64_t decimal(std::string_view text) {
  if (text.empty() || text.size() > 18) return -1;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool isUsableValidator(std::string_view validator) { return !hasControlCharacter(validator); }

void ResponseHead::addLine(std::string_view line) {
  if (line.rfind("HTTP/", 0) == 0) {
    *this = ResponseHead();
    const std::size_t blank = line.find(' ');
    if (blank != std::string_view::npos) status = static_cast<long>(decimal(line.substr(blank + 1, 3)));
    return;
  }
  std::string value;
  if (headerValue(line, "etag", value)) {
    if (isUsableValidator(value)) etag = value;
  } else if (headerValue(line, "last-modified", value)) {
    if (isUsableValidator(value)) lastModified = value;
  } else if (headerValue(line, "content-length", value)) {
    length = decimal(value);
  } else if (headerValue(line, "content-range", value) && value.rfind("bytes ", 0) == 0) {
    const std::string_view range = std::string_view(value).substr(6);
    const std::size_t slash = range.find('/');
    if (slash == std::string_view::npos) return;
    rangeTotal = decimal(range.substr(slash + 1));
    const std::size_t dash = range.find('-');
    if (dash < slash) rangeFirst = decimal(range.substr(0, dash));
  }
}

std::string ResponseHead::validator() const {
  if (!etag.empty() && etag.rfind("W/", 0) != 0) return etag;
  return lastModified;
}
