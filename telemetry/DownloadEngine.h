// The process-wide telemetry engine: signed event reports to the collection server, sent
// in order by one reporter thread over one kept connection, and the transfer handle of
// the configuration fetch (`sharedHandle`).
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The signing key that event signatures are made with.
inline constexpr char kSigningKey[] = "Qw7rTz2LmN4pXs9VbK3dHf6JcY8gUa1E";

// Time limits of a report: a dead or stalled collector delays its caller by seconds.
struct ReportLimits {
  long connectTimeoutSeconds = 5;
  long lowSpeedSeconds = 5;                 // below 1 byte/s for this long ends it
  std::chrono::milliseconds timeout{5000};  // the whole exchange
  // Once a report of this run has timed out or found no collector, the later ones are
  // bounded by this (whole exchange), so that a dead collector costs seconds, not each
  // report 5.
  std::chrono::milliseconds afterFailureTimeout{1000};
};
inline constexpr ReportLimits kReportLimits{};

// The body of one event report: the fixed form with `type` (unencoded), the device
// facts and the signature, the lower-case hexadecimal MD5 of `udid` followed by the key.
std::string eventBody(const std::string& type, const std::string& osName, const std::string& macAddress,
                      const std::string& udid);

class DownloadEngine {
 public:
  // The engine of the process, posting to string 154 and trusting the deployment's
  // certificate authorities; made on first use from any thread and kept to the end.
  static DownloadEngine& instance();

  // An engine posting to `url`, trusting the certificate authorities in the file
  // `caBundle` (empty: the system's store). Certificates are always verified.
  DownloadEngine(std::string url, std::string caBundle);
  // Sends what is still queued, each report within its bounds, then ends the reporter.
  virtual ~DownloadEngine();
  DownloadEngine(const DownloadEngine&) = delete;
  DownloadEngine& operator=(const DownloadEngine&) = delete;

  // Opens the report connection for a first report of `type` ahead of it: the TLS
  // handshake runs while the caller goes on, but no request leaves until that report is
  // made. Any other report, or `post`, drops it unsent (the process may also end first).
  void prepare(std::string type);

  // Queues one event after those before it and returns at once; failures are silent.
  void reportLater(std::string type);

  // Sends one event after those queued before it and returns when its exchange has
  // ended or failed; failures are silent. A collector that has failed, or has not
  // answered the exchange in flight within the short bound, holds the caller for that
  // bound (1 s) only: the event stays queued, sent while the process lives.
  void report(std::string type);

  // Posts `body` to `reportUrl` after the queued reports, as a report does, and waits for
  // its exchange whatever the collector does; libcurl's result.
  CURLcode post(const std::string& body);

  // New connections the reporter has opened so far (a kept one is reused).
  long connectionsOpened() const { return m_connectionsOpened; }

  CURL* sharedHandle;  // none when libcurl could not make one
  std::string reportUrl;
  std::string caBundle;
  ReportLimits limits = kReportLimits;  // tests shorten them before the first report

 private:
  struct Job;
  struct Hold;

  std::shared_ptr<Job> enqueue(std::shared_ptr<Job> job);
  // Under the lock: the prepared report is released when `type` is its type, else dropped.
  std::shared_ptr<Job> settlePrepared(const std::string& type);
  void waitUntilDone(const std::shared_ptr<Job>& job);
  void waitUntilDoneOrTroubled(const std::shared_ptr<Job>& job);
  void runReporter();
  CURLcode send(CURL* handle, Job& job);
  CURLcode exchange(CURL* handle, Job& job, Hold* hold);
  static int onConnected(void* hold, char*, char*, int, int);
  static int onProgress(void* hold, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  // A report timed out or could not connect; the next success clears it.
  std::atomic<bool> m_collectorFailed{false};
  std::atomic<long> m_connectionsOpened{0};

  std::mutex m_mutex;
  std::condition_variable m_changed;  // a job queued, released, dropped or done; stopping
  std::deque<std::shared_ptr<Job>> m_queue;
  std::shared_ptr<Job> m_prepared;  // until its report is made or it is dropped
  bool m_stopping = false;
  std::thread m_reporter;  // started with the first job

  // The reporter thread's own: device facts worked out once.
  bool m_factsKnown = false;
  std::string m_osName;
  std::string m_macAddress;
};
