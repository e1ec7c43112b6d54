// The download configuration: where the game lives and where its package comes from,
// fetched from the package host at start-up.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "Deployment.h"
#include "InstallLayout.h"
#include "PackageTransfer.h"

// The folder below the install folder that holds the downloaded package.
inline constexpr char kPackageFolder[] = "./" KVR_DATA_FOLDER "/";
// The newest signed configuration's timestamp the launcher has accepted, kept so that an
// older signed document (a rollback) is refused.
inline constexpr char kConfigTimestampName[] = "PCDownloadCfg.timestamp";
inline constexpr char kConfigTimestampFile[] = "./" KVR_DATA_FOLDER "/PCDownloadCfg.timestamp";

struct DownloadConfig {
  std::string m_strPath;             // "path": the folder that holds the game executable
  std::string m_strGamePath;         // "gamePath": the package archive's address
  std::string m_strPackageName;      // "./kvr/" + "packageName": where the archive is stored
  std::int64_t m_nPackageSize = -1;  // optional "packageSize": the archive's bytes; -1 when not given
  std::string m_strPackageSha256{};  // optional "packageSha256": its SHA-256, lower-case hex; empty when not given
  std::string m_strVersion{};        // optional "version": what the package holds; empty when not given
};

// Time limits of the fetch: a dead or stalled package host ends it within seconds.
struct ConfigFetchLimits {
  long connectTimeoutSeconds = 10;
  long lowSpeedSeconds = 10;  // below 1 byte/s for this long ends it
  // A host that trickles or never ends its answer: the whole fetch ends after this long.
  long timeoutSeconds = 20;
  // A transient failure (refused, reset, time-out, 408/429/5xx) is fetched again after
  // each pause in turn, but no attempt starts later than `retryWithin` after the first:
  // a player whose network blinks gets the game, one whose host is down hears of it soon.
  RetryPauses retryPauses = {std::chrono::seconds(1), std::chrono::seconds(2), std::chrono::seconds(4)};
  std::chrono::milliseconds retryWithin = std::chrono::seconds(10);
};
inline const ConfigFetchLimits kConfigFetchLimits{};

// How the fetch ended: what the player is told when it failed.
enum class ConfigOutcome {
  Ready,        // `config` holds the document's values
  Unreachable,  // the document could not be fetched (no connection, time-out, 5xx)
  Unusable,     // it came, but cannot be used (not a configuration, refused signature)
};
// An answer beyond this size ends the fetch too (a configuration is a few hundred bytes).
inline constexpr size_t kConfigMaxBytes = 256 * 1024;

// What the launcher trusts the configuration by. With a public key, the document must come
// with a valid detached signature at its address + ".minisig", pin the package (size and
// SHA-256), carry a timestamp not older than the one kept in `timestampFile` and not be
// expired at `now`; the accepted timestamp is then kept there.
struct ConfigTrust {
  std::string publicKey;  // as `minisign -G` prints it; empty: the document is not signed
  std::string timestampFile = kConfigTimestampFile;
  std::int64_t now = -1;  // seconds since 1970; -1: the system's clock
  // The authorities an https address is verified with: the profile's (empty: the
  // system's store, or what the handle was given before). Certificates are always verified.
  std::string caBundle = KVR_CA_BUNDLE;
};

// Fetches the document at string 155 on the telemetry engine's shared handle, checks it
// against the deployment profile's key when it has one, logs the three values and stores
// them in `config`. On failure, once transient ones have been retried, logs one
// "cfg check err:" line and leaves `config` untouched: the caller then tells the player
// and ends the process with code 1, after stopping the logger so that the line is
// written out.
ConfigOutcome CfgCheck(DownloadConfig& config);

// The same from `url` on `handle` (none: "Failed initialization").
ConfigOutcome CfgCheck(DownloadConfig& config, const std::string& url, CURL* handle,
                       const ConfigFetchLimits& limits = kConfigFetchLimits, const ConfigTrust& trust = {});

// Reads the document `body` into `config`: the three members, "./kvr/" before the
// package name, the optional package checks and version. On failure `problem` says why, in
// bounded text, and `config` is left untouched.
bool readDownloadConfig(const std::string& body, DownloadConfig& config, std::string& problem);
