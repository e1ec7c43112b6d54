// The package transfer that survives real networks: a kept partial file is resumed
// (Range with If-Range, checked against its record), transient failures are retried
// after growing pauses, a complete kept file is confirmed instead of fetched again, and
// the size and SHA-256 the configuration gives are checked.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Deployment.h"

// What the configuration says the package must be; what is not given is not checked.
struct PackageCheck {
  std::int64_t size = -1;  // bytes; -1: not given
  std::string sha256;      // 64 lower-case hexadecimal digits; empty: not given
};

// The pauses before the second, third, ... attempt; one attempt more than pauses.
using RetryPauses = std::vector<std::chrono::milliseconds>;
// Growing, then every 5 s: refused connections are ridden out for two minutes (7 s and
// 23 pauses of 5 s), and a link that comes back is used within 5 s.
inline const RetryPauses kPackageRetryPauses = [] {
  RetryPauses pauses = {std::chrono::seconds(1), std::chrono::seconds(2), std::chrono::seconds(4)};
  pauses.resize(pauses.size() + 23, std::chrono::seconds(5));
  return pauses;
}();

// Failures worth another attempt: the link or the host, not the request (a failed
// connection, time-out, reset, cut-off body; 408, 429 and 5xx).
bool transientTransferCode(CURLcode code);
bool transientHttpStatus(long status);

// Time limits of each attempt: a dead or stalled host ends it as a failure.
struct TransferLimits {
  long connectTimeoutSeconds = 10;
  // A response slower than this on average over `lowSpeedSeconds` (less than 20 KiB in
  // 20 s) ends that attempt as a stall, which is retried.
  std::int64_t lowSpeedBytesPerSecond = 1024;
  long lowSpeedSeconds = 20;
  long bufferBytes = 100 * 1024;
  // No retry starts once this long has passed since the transfer's first failure (0: the
  // pauses alone bound the retries): attempts that each end by a time limit (a dropped
  // link, a host that trickles) give up after about as long as refused ones.
  std::chrono::milliseconds retryFor{0};
};
inline const TransferLimits kPackageTransferLimits = [] {
  TransferLimits limits;
  limits.retryFor = std::chrono::minutes(2);
  return limits;
}();

// Where the whole package stands: its bytes so far and its size (0 while the server
// has not said). Called on the transfer's thread; responses that carry no package bytes
// (error pages) do not call it.
using TransferProgress = std::function<void(std::int64_t now, std::int64_t total)>;

// Told on the transfer's thread before each pause of a retry: the link or the host failed
// and the transfer will try again.
using TransferRetrying = std::function<void()>;

// Asked on the transfer's thread while a request runs (at least once a second) and
// during the pauses between attempts: true ends the transfer within about a second, as
// CURLE_ABORTED_BY_CALLBACK, keeping the partial file and its record for a resume.
using TransferStop = std::function<bool()>;

struct TransferOptions {
  PackageCheck check{};
  TransferProgress progress{};
  TransferRetrying retrying{};
  TransferStop stop{};
  RetryPauses pauses{};
  TransferLimits limits{};
  // When given: the complete file's SHA-256 (hex) once the transfer succeeds.
  std::string* sha256 = nullptr;
  // When given: set when the transfer ended for want of disk space.
  bool* noSpace = nullptr;
};

// Brings the package at `url` into the file `path` on an easy handle of its own, with
// the system's proxy; libcurl's result of the last attempt.
// - A kept file is resumed when its record (PackageRecord.h) names the same address
//   and a validator: 206 appends, 200 starts over, 416 with a complete file counts as
//   complete; anything that does not fit starts over at once (CURLE_RANGE_ERROR when
//   that keeps happening).
// - A failed connection, time-out, stall (also a response below the low-speed floor,
//   ended as CURLE_OPERATION_TIMEDOUT), cut-off body or 408/429/5xx status is tried again
//   after the next pause, resuming, while `limits.retryFor` allows; other HTTP statuses (CURLE_HTTP_RETURNED_ERROR) and
//   write errors (a full disk) end it at once. Error pages are never stored.
// - When the package's size is known (`check`, the kept file's record, or the server's
//   length) and its volume has no room for the rest of it, no byte is written: a
//   CURLE_WRITE_ERROR, as is a write that fails for want of space; both set `noSpace`
//   and keep the partial file and its record for the next start.
// - A complete file that fails `check` is deleted: CURLE_PARTIAL_FILE for the size,
//   CURLE_ABORTED_BY_CALLBACK for the SHA-256, with a log line naming both values. The
//   hash is computed while the bytes are written (a resumed file's kept part is read
//   once).
// A file that cannot be opened is a write error; no handle, CURLE_FAILED_INIT.
// An https address is verified with the authorities in `caBundle`, the profile's (empty:
// the system's store); certificates are always verified.
CURLcode transferPackage(const std::string& url, const std::string& path, const TransferOptions& options = {},
                         const std::string& caBundle = KVR_CA_BUNDLE);
