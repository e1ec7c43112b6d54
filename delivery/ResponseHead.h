// What the package transfer reads of a response's head, one header line at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// True when `validator` may be sent back in a request header: no control character,
// so a server (or anyone on the path) cannot smuggle a header into If-Range.
bool isUsableValidator(std::string_view validator);

struct ResponseHead {
  long status = 0;
  std::string etag;
  std::string lastModified;
  std::int64_t length = -1;      // Content-Length
  std::int64_t rangeFirst = -1;  // Content-Range "bytes FIRST-LAST/TOTAL"
  std::int64_t rangeTotal = -1;  // TOTAL, also of "bytes */TOTAL"

  // Takes one line as libcurl hands it over (with its CR LF). A status line starts a
  // new head (interim responses, a proxy's answer); unknown headers are ignored, and so
  // is a validator holding a control character.
  void addLine(std::string_view line);

  // What a later request may send in If-Range: a strong ETag, else the date; empty
  // when the response gave neither.
  std::string validator() const;
};
