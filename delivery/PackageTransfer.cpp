#include "PackageTransfer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

#include "ExtractFiles.h"
#include "Logger.h"
#include "LowSpeedFloor.h"
#include "PackageRecord.h"
#include "ResponseHead.h"
#include "Sha256.h"
#include "SystemProxy.h"
#include "TextConvert.h"

namespace {

// Size of the file at `path`; -1 when there is none.
std::int64_t fileSize(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file(FromAnsi(path));
  const auto size = std::filesystem::file_size(file, error);
  return error ? -1 : static_cast<std::int64_t>(size);
}

// Where the current response's bytes sit in the whole package: the progress callback's
// context.
struct ResponseProgress {
  const TransferProgress* report = nullptr;
  const TransferStop* stop = nullptr;
  bool stopped = false;  // the stop was asked for: the request was aborted for it
  std::int64_t offset = 0;
  bool counting = true;  // false: an error page, whose bytes are no package bytes
  LowSpeedFloor* floor = nullptr;
};

// libcurl's progress callback (its current form): the response's figures moved by the
// kept bytes; 1 (ending the request as CURLE_ABORTED_BY_CALLBACK) when the stop is asked
// for or once the response has fallen below its low-speed floor.
int onProgress(void* context, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
  ResponseProgress& progress = *static_cast<ResponseProgress*>(context);
  if (*progress.stop && (*progress.stop)()) {
    progress.stopped = true;
    return 1;
  }
  if (progress.floor->tooSlow(dlnow, std::chrono::steady_clock::now())) return 1;
  if (progress.counting && *progress.report)
    (*progress.report)(progress.offset + dlnow, dltotal > 0 ? progress.offset + dltotal : 0);
  return 0;
}

class Transfer {
 public:
  enum class Next { Done, Retry, RetryNow, Fail };

  Transfer(CURL* handle, const std::string& url, const std::string& path, const TransferOptions& options)
      : m_handle(handle),
        m_url(url),
        m_path(path),
        m_check(options.check),
        m_limits(options.limits),
        m_report(options.progress),
        m_stop(options.stop),
        m_digest(options.sha256),
        m_noSpace(options.noSpace) {
    if (!m_check.sha256.empty() || m_digest != nullptr) m_hash = std::make_unique<Sha256>();
    m_progress.report = &m_report;
    m_progress.stop = &m_stop;
    m_progress.floor = &m_floor;
    // The handle is this transfer's own: what stays the same for every attempt is set once.
    curl_easy_setopt(m_handle, CURLOPT_URL, m_url.c_str());
    logProxyInUse(useSystemProxy(m_handle, m_url));
    curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_handle, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(m_handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(m_handle, CURLOPT_XFERINFODATA, &m_progress);
    curl_easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT, m_limits.connectTimeoutSeconds);
    curl_easy_setopt(m_handle, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(m_limits.lowSpeedBytesPerSecond));
    curl_easy_setopt(m_handle, CURLOPT_LOW_SPEED_TIME, m_limits.lowSpeedSeconds);
    // libcurl's default 16 KiB receive buffer costs a tenth of the transfer time on a
    // fast link; the curl program uses 100 KiB too.
    curl_easy_setopt(m_handle, CURLOPT_BUFFERSIZE, m_limits.bufferBytes);
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // One request; `code` is libcurl's result or the failure's own code.
  Next attempt(CURLcode& code) {
    prepare();
    const std::int64_t size = m_check.size >= 0 ? m_check.size : m_record.size;
    if (!roomFor(size - m_from)) {
      code = CURLE_WRITE_ERROR;
      return Next::Fail;
    }
    m_file = std::fopen(m_path.c_str(), m_from > 0 ? "ab" : "wb");
    if (m_file == nullptr) {
      logLine(LOG_INFO, "download cannot open package file:", m_path);
      code = CURLE_WRITE_ERROR;
      return Next::Fail;
    }
    curl_slist* headers = nullptr;
    const std::string range = std::to_string(m_from) + "-";
    if (m_from > 0) {
      // The rest, but only of the same package: a changed one comes whole (200).
      headers = curl_slist_append(nullptr, ("If-Range: " + m_record.validator).c_str());
      curl_easy_setopt(m_handle, CURLOPT_RANGE, range.c_str());
      curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, headers);
      logLine(LOG_INFO, "download resume from:", m_from);
    }
    code = curl_easy_perform(m_handle);
    if (!m_decided) decide();
    // The next attempt asks for its own range, or none.
    curl_easy_setopt(m_handle, CURLOPT_RANGE, static_cast<const char*>(nullptr));
    curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    curl_slist_free_all(headers);
    const bool closed = m_file == nullptr || std::fclose(m_file) == 0;
    if (!closed && errno == ENOSPC) m_spaceShort = true;
    m_file = nullptr;
    return evaluate(code, closed);
  }

 private:
  enum class Sink { Discard, File, Mismatch, Broken, NoRoom };

  // False, with a log line and `noSpace` set, when the package's volume has less than
  // `bytes` free; a size not known (negative) or free space not learnt passes.
  bool roomFor(std::int64_t bytes) {
    if (bytes <= 0) return true;
    // The package's folder: Windows tells the free space of folders only.
    const std::optional<std::uint64_t> free = freeSpace(FromAnsi(m_path.substr(0, m_path.find_last_of("/\\") + 1)));
    if (!free || *free >= static_cast<std::uint64_t>(bytes)) return true;
    logLine(LOG_INFO, "download needs ", bytes, " bytes, ", *free, " free for ", m_path);
    if (m_noSpace != nullptr) *m_noSpace = true;
    return false;
  }

  // Keeps what the file and its record allow, or starts over.
  void prepare() {
    m_decided = false;
    m_spaceShort = false;
    m_sink = Sink::Discard;
    m_response = ResponseHead();
    m_from = 0;
    const std::int64_t have = fileSize(m_path);
    PackageRecord record;
    if (have > 0 && readPackageRecord(m_path, record) && record.url == m_url && !record.validator.empty() &&
        (record.size < 0 || have <= record.size)) {
      m_record = record;
      m_from = have;
    } else {
      if (have > 0) logLine(LOG_INFO, "download starts over: the kept file has no matching record");
      removePackageRecord(m_path);
      m_record = PackageRecord{m_url, "", -1, false};
    }
    m_progress.offset = m_from;
    m_progress.counting = true;
    m_progress.stopped = false;
    // Each attempt is held to the floor from its own start.
    m_floor = LowSpeedFloor(m_limits.lowSpeedBytesPerSecond, m_limits.lowSpeedSeconds);
  }

  // Chooses what the body is, when its first bytes (or the end of the response) arrive.
  void decide() {
    m_decided = true;
    const long status = m_response.status;
    if (status == 206 && m_from > 0) {
      if (m_response.rangeFirst != m_from ||
          (m_record.size >= 0 && m_response.rangeTotal >= 0 && m_response.rangeTotal != m_record.size)) {
        m_sink = Sink::Mismatch;
        return;
      }
      if (m_response.rangeTotal >= 0 && !roomFor(m_response.rangeTotal - m_from)) {
        m_sink = Sink::NoRoom;
        return;
      }
      if (m_record.size < 0 && m_response.rangeTotal >= 0) {
        m_record.size = m_response.rangeTotal;
        writePackageRecord(m_path, m_record);
      }
      hashKeptPart();
      m_sink = Sink::File;
    } else if (status == 200) {
      // The kept part, dropped below, makes room too.
      if (m_response.length >= 0 && !roomFor(m_response.length - m_from)) {
        m_sink = Sink::NoRoom;
        return;
      }
      if (m_from > 0) {
        logLine(LOG_INFO, "download starts over: the server sent the whole package");
        std::fclose(m_file);
        m_file = std::fopen(m_path.c_str(), "wb");
        m_from = 0;
        m_progress.offset = 0;
      }
      if (m_hash) m_hash->reset();
      m_hashed = 0;
      m_record = PackageRecord{m_url, m_response.validator(), m_response.length, false};
      // Written before the first byte, so that a cut anywhere leaves a resumable file.
      if (m_record.validator.empty() || !writePackageRecord(m_path, m_record)) removePackageRecord(m_path);
      m_sink = m_file == nullptr ? Sink::Broken : Sink::File;
    } else {
      // Error pages and the answer to a range beyond the end are no package bytes.
      m_progress.counting = false;
      m_sink = Sink::Discard;
    }
  }

  // A resumed file's kept bytes enter the hash once, read back from the file.
  void hashKeptPart() {
    if (!m_hash || m_hashed == m_from) return;
    m_hash->reset();
    m_hashed = 0;
    FILE* kept = std::fopen(m_path.c_str(), "rb");
    if (kept == nullptr) return;
    std::vector<char> buffer(1 << 16);
    while (m_hashed < m_from) {
      const std::size_t want =
          static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), m_from - m_hashed));
      const std::size_t got = std::fread(buffer.data(), 1, want, kept);
      if (got == 0) break;
      m_hash->update(buffer.data(), got);
      m_hashed += static_cast<std::int64_t>(got);
    }
    std::fclose(kept);
  }

  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<Transfer*>(self)->m_response.addLine(std::string_view(data, size * count));
    return size * count;
  }

  static size_t onWrite(char* data, size_t size, size_t count, void* context) {
    Transfer& self = *static_cast<Transfer*>(context);
    if (!self.m_decided) self.decide();
    switch (self.m_sink) {
      case Sink::Discard: return size * count;
      case Sink::Mismatch:
      case Sink::Broken:
      case Sink::NoRoom: return 0;
      case Sink::File: break;
    }
    const size_t written = std::fwrite(data, size, count, self.m_file);
    if (written < count && errno == ENOSPC) self.m_spaceShort = true;
    if (self.m_hash) {
      self.m_hash->update(data, written * size);
      self.m_hashed += static_cast<std::int64_t>(written * size);
    }
    return written;
  }

  Next evaluate(CURLcode& code, bool closed) {
    if (m_sink == Sink::Mismatch) {
      logLine(LOG_INFO, "download starts over: the server's range does not fit the kept file");
      startOver();
      code = CURLE_RANGE_ERROR;
      return Next::RetryNow;
    }
    if (m_sink == Sink::NoRoom) {
      code = CURLE_WRITE_ERROR;
      return Next::Fail;
    }
    if (m_spaceShort) {
      logLine(LOG_INFO, "download cannot write package file, the disk is full:", m_path);
      if (m_noSpace != nullptr) *m_noSpace = true;
      code = CURLE_WRITE_ERROR;
      return Next::Fail;
    }
    if (m_sink == Sink::Broken || (!closed && code == CURLE_OK)) {
      logLine(LOG_INFO, "download cannot write package file:", m_path);
      code = CURLE_WRITE_ERROR;
      return Next::Fail;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK && m_progress.stopped) {
      // The player left: what came is kept, with its record, for the next start.
      logLine(LOG_INFO, "download stopped");
      return Next::Fail;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
      // Otherwise only the progress callback aborts a request: the response fell below the
      // low-speed floor. That is a stall, as when libcurl's own check at the same floor
      // ends it first: the same code, and retried.
      logLine(LOG_INFO, "download below the low-speed floor of ", m_limits.lowSpeedBytesPerSecond, " B/s over ",
              m_limits.lowSpeedSeconds, " s");
      code = CURLE_OPERATION_TIMEDOUT;
      return Next::Retry;
    }
    if (code != CURLE_OK) {
      logLine(LOG_INFO, "download failed:", curl_easy_strerror(code));
      return transientTransferCode(code) ? Next::Retry : Next::Fail;
    }
    const long status = m_response.status;
    if (status == 200 || status == 206) {
      const std::int64_t have = fileSize(m_path);
      if (m_record.size >= 0 && have != m_record.size) {
        logLine(LOG_INFO, "download ended short:", have, " of ", m_record.size);
        code = CURLE_PARTIAL_FILE;
        return Next::Retry;
      }
      return finish(code);
    }
    if (status == 416 && m_from > 0 && m_response.rangeTotal == m_from) {
      logLine(LOG_INFO, "download package already complete:", m_from);
      m_record.size = m_from;
      hashKeptPart();
      return finish(code);
    }
    if (status == 416) {
      logLine(LOG_INFO, "download starts over: the server's size does not fit the kept file");
      startOver();
      code = CURLE_RANGE_ERROR;
      return Next::RetryNow;
    }
    logLine(LOG_INFO, "download http status:", status);
    code = CURLE_HTTP_RETURNED_ERROR;
    return transientHttpStatus(status) ? Next::Retry : Next::Fail;
  }

  // The whole package is in the file: the checks the configuration gives, then the
  // record says so.
  Next finish(CURLcode& code) {
    const std::int64_t have = fileSize(m_path);
    if (m_check.size >= 0 && have != m_check.size) {
      logLine(LOG_INFO, "download size mismatch, expected:", m_check.size, ", actual:", have);
      discard();
      code = CURLE_PARTIAL_FILE;
      return Next::Fail;
    }
    if (m_hash) {
      const std::string actual = m_hashed == have ? m_hash->hexDigest() : std::string("unknown");
      m_hashed = 0;
      if (m_digest != nullptr) *m_digest = actual;
      if (!m_check.sha256.empty() && actual != m_check.sha256) {
        logLine(LOG_INFO, "download sha256 mismatch, expected:", m_check.sha256, ", actual:", actual);
        discard();
        code = CURLE_ABORTED_BY_CALLBACK;
        return Next::Fail;
      }
    }
    m_record.size = have;
    m_record.complete = true;
    if (m_record.validator.empty() || !writePackageRecord(m_path, m_record)) removePackageRecord(m_path);
    if (m_report) m_report(have, have);
    code = CURLE_OK;
    return Next::Done;
  }

  void startOver() {
    removePackageRecord(m_path);
    if (FILE* file = std::fopen(m_path.c_str(), "wb")) std::fclose(file);
    m_hashed = 0;
  }

  // A package that failed its checks is no package.
  void discard() {
    removePackageRecord(m_path);
    std::remove(m_path.c_str());
  }

  CURL* m_handle;
  const std::string& m_url;
  const std::string& m_path;
  const PackageCheck& m_check;
  const TransferLimits& m_limits;
  const TransferProgress& m_report;
  const TransferStop& m_stop;
  std::string* m_digest;
  bool* m_noSpace;
  bool m_spaceShort = false;  // a write of this attempt failed for want of space
  std::unique_ptr<Sha256> m_hash;
  std::int64_t m_hashed = 0;  // bytes of the file the hash has taken, from the start
  PackageRecord m_record;
  ResponseHead m_response;
  std::int64_t m_from = 0;  // the kept bytes this request continues after
  ResponseProgress m_progress;
  LowSpeedFloor m_floor{m_limits.lowSpeedBytesPerSecond, m_limits.lowSpeedSeconds};
  FILE* m_file = nullptr;
  bool m_decided = false;
  Sink m_sink = Sink::Discard;
};

}  // namespace

bool transientTransferCode(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_HTTP2:
    case CURLE_PARTIAL_FILE:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2_STREAM: return true;
    default: return false;
  }
}

bool transientHttpStatus(long status) { return status == 408 || status == 429 || (status >= 500 && status <= 599); }

namespace {

// Waits `pause`, looking at `stop` every 50 ms; false when the stop came first.
bool pauseUnlessStopped(std::chrono::milliseconds pause, const TransferStop& stop) {
  constexpr auto kLook = std::chrono::milliseconds(50);
  const auto end = std::chrono::steady_clock::now() + pause;
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    if (stop && stop()) return false;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLook, end - now));
  }
  return !(stop && stop());
}

}  // namespace

CURLcode transferPackage(const std::string& url, const std::string& path, const TransferOptions& options,
                         const std::string& caBundle) {
  // A handle of its own: nothing set for another transfer, on another thread, reaches it.
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
  if (!handle) return CURLE_FAILED_INIT;
  curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
  if (!caBundle.empty()) curl_easy_setopt(handle.get(), CURLOPT_CAINFO, caBundle.c_str());
  Transfer transfer(handle.get(), url, path, options);
  const RetryPauses& pauses = options.pauses;
  CURLcode code = CURLE_OK;
  std::size_t retries = 0;
  bool restarted = false;
  std::optional<std::chrono::steady_clock::time_point> firstFailure;
  for (;;) {
    const Transfer::Next next = transfer.attempt(code);
    if (next == Transfer::Next::Done || next == Transfer::Next::Fail) return code;
    if (!firstFailure) firstFailure = std::chrono::steady_clock::now();
    // A kept file that does not fit is dropped and fetched anew at once, once per
    // transfer; after that a misfit counts as any other failure.
    if (next == Transfer::Next::RetryNow && !restarted) {
      restarted = true;
      continue;
    }
    if (retries >= pauses.size()) return code;
    const std::chrono::milliseconds retryFor = options.limits.retryFor;
    if (retryFor.count() > 0 && std::chrono::steady_clock::now() - *firstFailure >= retryFor) {
      logLine(LOG_INFO, "download retries end after ", retryFor.count(), " ms");
      return code;
    }
    logLine(LOG_INFO, "download retry in ", pauses[retries].count(), " ms");
    if (options.retrying) options.retrying();
    if (!pauseUnlessStopped(pauses[retries++], options.stop)) {
      logLine(LOG_INFO, "download stopped");
      return CURLE_ABORTED_BY_CALLBACK;
    }
  }
}
