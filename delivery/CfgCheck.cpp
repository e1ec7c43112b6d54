#include "CfgCheck.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <span>
#include <thread>

#include "ConfigSignature.h"
#include "Deployment.h"
#include "ControlCharacters.h"
#include "DownloadEngine.h"
#include "FileSystem.h"
#include "Logger.h"
#include "Resources.h"
#include "StringTable.h"
#include "SystemProxy.h"
#include "TextConvert.h"

namespace {

void fail(const std::string& problem) { logLine(LOG_INFO, "cfg check err:", problem); }

// The member `key` of `document` as text; a message naming the problem when it is
// missing or not a string.
bool readMember(const nlohmann::json& document, const char* key, std::string& value, std::string& problem) {
  const auto member = document.find(key);
  if (member == document.end()) {
    problem = std::string("member \"") + key + "\" is missing";
    return false;
  }
  if (!member->is_string()) {
    problem = std::string("member \"") + key + "\" is not a string but " + member->type_name();
    return false;
  }
  value = member->get<std::string>();
  return true;
}

// How a refused value reads in a message: short scalars as they are, long ones cut,
// arrays and objects by their type only. A document may nest a value thousands of
// levels deep, and serialising it would recurse once per level.
std::string quoted(const nlohmann::json& value) {
  if (value.is_structured()) return value.type_name();
  constexpr std::size_t kMaxQuoted = 64;
  std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  if (text.size() > kMaxQuoted) text = text.substr(0, kMaxQuoted) + "...";
  return text;
}

// The optional members that let the package be checked: absent is fine, present they
// must be a byte count and a SHA-256 in hexadecimal.
bool readPackageCheck(const nlohmann::json& document, DownloadConfig& config, std::string& problem) {
  const auto size = document.find("packageSize");
  if (size != document.end()) {
    if (!size->is_number_integer() || size->get<std::int64_t>() < 0) {
      problem = std::string("member \"packageSize\" is not a byte count but ") + quoted(*size);
      return false;
    }
    config.m_nPackageSize = size->get<std::int64_t>();
  }
  const auto sha256 = document.find("packageSha256");
  if (sha256 != document.end()) {
    std::string hex = sha256->is_string() ? sha256->get<std::string>() : std::string();
    for (char& c : hex)
      if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (hex.size() != 64 || hex.find_first_not_of("0123456789abcdef") != std::string::npos) {
      problem = std::string("member \"packageSha256\" is not a SHA-256 in hexadecimal but ") + quoted(*sha256);
      return false;
    }
    config.m_strPackageSha256 = hex;
  }
  return true;
}

// The optional "version": a short line of text naming what the package holds. A
// different one than the install record's makes the game outdated. Documents written
// before it existed may carry a "version" of another type, which stays an ignored
// extra member.
bool readVersion(const nlohmann::json& document, DownloadConfig& config, std::string& problem) {
  constexpr std::size_t kMaxVersion = 64;
  const auto version = document.find("version");
  if (version == document.end() || !version->is_string()) return true;
  const std::string text = version->get<std::string>();
  if (text.empty() || text.size() > kMaxVersion || hasControlCharacter(text)) {
    problem = std::string("member \"version\" is not a line of 1 to 64 bytes but ") + quoted(*version);
    return false;
  }
  config.m_strVersion = text;
  return true;
}

}  // namespace

bool readDownloadConfig(const std::string& body, DownloadConfig& config, std::string& problem) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(body);
  } catch (const nlohmann::json::exception& error) {
    // Not only syntax: a number beyond a double's range is refused as out of range.
    constexpr std::size_t kMaxReason = 200;
    std::string reason = error.what();
    if (reason.size() > kMaxReason) reason = reason.substr(0, kMaxReason) + "...";
    problem = "the configuration is not JSON: " + reason;
    return false;
  }
  if (!document.is_object()) {
    problem = "the configuration is not a JSON object";
    return false;
  }
  DownloadConfig read;
  if (!readMember(document, "path", read.m_strPath, problem) ||
      !readMember(document, "gamePath", read.m_strGamePath, problem) ||
      !readMember(document, "packageName", read.m_strPackageName, problem) ||
      !readPackageCheck(document, read, problem) || !readVersion(document, read, problem))
    return false;
  read.m_strPackageName = kPackageFolder + read.m_strPackageName;
  config = std::move(read);
  return true;
}

ConfigOutcome CfgCheck(DownloadConfig& config) {
  return CfgCheck(config, ToAnsi(LoadResourceText(IDS_CONFIG_URL)), DownloadEngine::instance().sharedHandle,
                  kConfigFetchLimits, ConfigTrust{KVR_CONFIG_PUBLIC_KEY});
}

namespace {

// What one fetch collects: the body, unchanged, up to its own bound.
struct Collected {
  std::string body;
  size_t maxBytes;
};

// The fetch's write callback: appends the `size` x `count` bytes at `data` to the
// Collected at `stream`, unchanged, and takes them all; takes none when the text would
// grow past its bound, which ends the transfer.
size_t AppendChunkToStream(char* data, size_t size, size_t count, void* stream) {
  // No separator: a chunk border may fall anywhere, inside a string or a number too.
  Collected& collected = *static_cast<Collected*>(stream);
  if (size * count > collected.maxBytes - collected.body.size()) return 0;
  collected.body.append(data, size * count);
  return size * count;
}

// Fetches `url` into `collected` on `handle`: libcurl's result, and in `status` the
// answer's HTTP status.
CURLcode fetchText(const std::string& url, CURL* handle, const ConfigFetchLimits& limits, const ConfigTrust& trust,
                   Collected& collected, ProxyChoice& proxy, long& status) {
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  proxy = useSystemProxy(handle, url);
  if (!trust.caBundle.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, trust.caBundle.c_str());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendChunkToStream);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &collected);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, limits.timeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(collected.maxBytes));
  // The handle is the configuration fetch's alone (the package transfer and the reports
  // make their own), and each fetch sets all it uses: nothing to reset afterwards.
  const CURLcode result = curl_easy_perform(handle);
  status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  return result;
}

// What a failed fetch of `what` reads as.
std::string fetchProblem(CURLcode result, const std::string& what, size_t maxBytes) {
  if (result == CURLE_WRITE_ERROR || result == CURLE_FILESIZE_EXCEEDED)
    return what + " is larger than " + std::to_string(maxBytes) + " bytes";
  return curl_easy_strerror(result);
}

// The newest timestamp accepted before; 0 when none is kept (or the file is not one).
std::int64_t keptTimestamp(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string digits;
  if (!in || !std::getline(in, digits) || digits.empty() || digits.size() > 18 ||
      digits.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return std::stoll(digits);
}

// Checks the document `body` against `signatureText` and the trust's key, then its
// trusted comment's times against the kept timestamp and the clock; what is wrong
// otherwise.
std::string checkSignature(const std::string& body, const std::string& signatureText, const ConfigTrust& trust,
                           TrustedTimes& times) {
  SignerKey key;
  DocumentSignature signature;
  std::string problem;
  if (!readSignerKey(trust.publicKey, key, problem)) return "the launcher's key is not usable: " + problem;
  if (!readDocumentSignature(signatureText, signature, problem) || !verifyDocument(key, signature, body, problem) ||
      !readTrustedTimes(signature.trustedComment, times, problem))
    return problem;
  if (times.timestamp < 0) return "the signature's trusted comment has no timestamp";
  const std::int64_t kept = keptTimestamp(trust.timestampFile);
  if (times.timestamp < kept)
    return "the signed configuration of " + std::to_string(times.timestamp) +
           " is older than the one accepted before, of " + std::to_string(kept);
  const std::int64_t now = trust.now >= 0 ? trust.now : static_cast<std::int64_t>(std::time(nullptr));
  if (times.expires >= 0 && now >= times.expires)
    return "the signed configuration expired at " + std::to_string(times.expires);
  return {};
}

// What went wrong with one attempt; no problem: nothing.
struct Failure {
  std::string problem;
  ConfigOutcome outcome = ConfigOutcome::Ready;
  bool transient = false;  // another attempt may succeed
};

Failure unreachable(std::string problem, bool transient) {
  return {std::move(problem), ConfigOutcome::Unreachable, transient};
}

// A fetch that libcurl ended: too large is the document's fault, the rest the way's.
Failure fetchFailure(CURLcode result, std::string problem) {
  if (result == CURLE_WRITE_ERROR || result == CURLE_FILESIZE_EXCEEDED)
    return {std::move(problem), ConfigOutcome::Unusable, false};
  return unreachable(std::move(problem), transientTransferCode(result));
}

// Checks and reads what came into `config`; what is wrong otherwise.
std::string readFetched(DownloadConfig& config, const std::string& body, const std::string* signatureText,
                        const ConfigTrust& trust) {
  std::string problem;
  TrustedTimes times;
  if (signatureText != nullptr) {
    problem = checkSignature(body, *signatureText, trust, times);
    if (!problem.empty()) return problem;
  }
  DownloadConfig read;
  if (!readDownloadConfig(body, read, problem)) return problem;
  if (signatureText != nullptr) {
    if (read.m_nPackageSize < 0 || read.m_strPackageSha256.empty())
      return "the signed configuration does not pin the package: \"packageSize\" and \"packageSha256\" are required";
    const std::string text = std::to_string(times.timestamp) + "\n";
    const std::string folder = trust.timestampFile.substr(0, trust.timestampFile.find_last_of("/\\") + 1);
    if (times.timestamp > keptTimestamp(trust.timestampFile) &&
        (!makeFolderChain(folder) ||
         !writeWholeFile(trust.timestampFile,
                         std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()))))
      return "the accepted timestamp could not be kept in " + trust.timestampFile;
  }
  config = std::move(read);
  return {};
}

// Fetches the document at `url` (and with a key its signature) and reads it into
// `config`; what went wrong otherwise.
Failure fetchConfig(DownloadConfig& config, const std::string& url, CURL* handle, const ConfigFetchLimits& limits,
                    const ConfigTrust& trust, ProxyChoice& proxy) {
  Collected document{{}, kConfigMaxBytes};
  long status = 0;
  CURLcode result = fetchText(url, handle, limits, trust, document, proxy, status);
  if (result != CURLE_OK) return fetchFailure(result, fetchProblem(result, "the configuration", kConfigMaxBytes));
  // A host that answers "busy" or "broken" has not given the document: it is read all the
  // same, so that the line logged stays what it has always been, but counts as not fetched.
  const bool hostFailed = transientHttpStatus(status);
  Collected signature{{}, kSignatureMaxBytes};
  const bool signedDocument = !trust.publicKey.empty();
  if (signedDocument) {
    const std::string signatureUrl = url + ".minisig";
    ProxyChoice signatureProxy;
    result = fetchText(signatureUrl, handle, limits, trust, signature, signatureProxy, status);
    if (result != CURLE_OK)
      return fetchFailure(result, "the configuration's signature could not be fetched: " +
                                      fetchProblem(result, "the signature", kSignatureMaxBytes));
    if (status != 200) {
      std::string problem =
          "the configuration's signature is missing: " + signatureUrl + " answered " + std::to_string(status);
      if (hostFailed || transientHttpStatus(status)) return unreachable(std::move(problem), true);
      return {std::move(problem), ConfigOutcome::Unusable, false};
    }
  }
  std::string problem = readFetched(config, document.body, signedDocument ? &signature.body : nullptr, trust);
  if (problem.empty()) return {};
  if (hostFailed) return unreachable(std::move(problem), true);
  return {std::move(problem), ConfigOutcome::Unusable, false};
}

}  // namespace

ConfigOutcome CfgCheck(DownloadConfig& config, const std::string& url, CURL* handle, const ConfigFetchLimits& limits,
                       const ConfigTrust& trust) {
  logLine(LOG_INFO, "cfg check start");
  if (!handle) {
    fail(curl_easy_strerror(CURLE_FAILED_INIT));
    return ConfigOutcome::Unreachable;
  }
  ProxyChoice proxy;
  const auto start = std::chrono::steady_clock::now();
  Failure failure = fetchConfig(config, url, handle, limits, trust, proxy);
  for (const std::chrono::milliseconds pause : limits.retryPauses) {
    if (!failure.transient || std::chrono::steady_clock::now() + pause - start > limits.retryWithin) break;
    std::this_thread::sleep_for(pause);
    failure = fetchConfig(config, url, handle, limits, trust, proxy);
  }
  if (failure.problem.empty()) {
    logLine(LOG_INFO, "check path:", config.m_strPath);
    logLine(LOG_INFO, "check gamePath:", config.m_strGamePath);
    logLine(LOG_INFO, "check packageName:", config.m_strPackageName);
    logLine(LOG_INFO, "cfg check end");
  } else {
    fail(failure.problem);
  }
  // After the configuration's own lines, so that they read as they always have.
  logProxyInUse(proxy);
  return failure.problem.empty() ? ConfigOutcome::Ready : failure.outcome;
}
