// The process-wide telemetry engine: signed event reports to the collection server,
// and the transfer handle of the configuration fetch (`sharedHandle`).
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <string>

// The signing key that event signatures are made with.
inline constexpr char kSigningKey[] = "Qw7rTz2LmN4pXs9VbK3dHf6JcY8gUa1E";

// Time limits of a report: a dead or stalled collector delays its caller by seconds.
inline constexpr long kReportConnectTimeoutSeconds = 5;
inline constexpr long kReportLowSpeedSeconds = 5;  // below 1 byte/s for this long ends it
inline constexpr long kReportTimeoutSeconds = 5;   // the whole exchange
// Once a report of this run has timed out or found no collector, the later ones are
// bounded by this (whole exchange), so that a dead collector costs seconds, not each report 5.
inline constexpr long kReportAfterFailureTimeoutMs = 1000;

// The body of one event report: the fixed form with `type` (unencoded), the device
// facts and the signature, the lower-case hexadecimal MD5 of `udid` followed by the key.
std::string eventBody(const std::string& type, const std::string& osName, const std::string& macAddress,
                      const std::string& udid);

class DownloadEngine {
 public:
  // The engine of the process, posting to string 154 and trusting the deployment's
  // certificate authorities; made on first use from any thread.
  static DownloadEngine& instance();

  // An engine posting to `url`, trusting the certificate authorities in the file
  // `caBundle` (empty: the system's store). Certificates are always verified.
  DownloadEngine(std::string url, std::string caBundle);
  virtual ~DownloadEngine();
  DownloadEngine(const DownloadEngine&) = delete;
  DownloadEngine& operator=(const DownloadEngine&) = delete;

  // Sends one event on a handle of its own and returns when the exchange has ended or
  // failed; failures are silent.
  void report(std::string type);

  // Posts `body` to `reportUrl` as a report does; libcurl's result.
  CURLcode post(const std::string& body);

  CURL* sharedHandle;  // none when libcurl could not make one
  std::string reportUrl;
  std::string caBundle;

 private:
  // A report timed out or could not connect; the next success clears it.
  std::atomic<bool> m_collectorFailed{false};
};
