#include "CfgCheck.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "DownloadEngine.h"
#include "Logger.h"
#include "Resources.h"
#include "StringTable.h"
#include "SystemProxy.h"
#include "TextConvert.h"

namespace {

bool fail(const std::string& problem) {
  logLine(LOG_INFO, "cfg check err:", problem);
  return false;
}

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
  bool plain = !text.empty() && text.size() <= kMaxVersion;
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) plain = false;
  if (!plain) {
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

bool CfgCheck(DownloadConfig& config) {
  return CfgCheck(config, ToAnsi(LoadResourceText(IDS_CONFIG_URL)), DownloadEngine::instance().sharedHandle);
}

namespace {

// The fetch's write callback: appends the `size` x `count` bytes at `data` to the
// std::string at `stream`, unchanged, and takes them all; takes none when the text
// would grow past kConfigMaxBytes, which ends the transfer.
size_t AppendChunkToStream(char* data, size_t size, size_t count, void* stream) {
  // No separator: a chunk border may fall anywhere, inside a string or a number too.
  std::string& body = *static_cast<std::string*>(stream);
  if (size * count > kConfigMaxBytes - body.size()) return 0;
  body.append(data, size * count);
  return size * count;
}

// Fetches the document at `url` and reads it into `config`; what went wrong otherwise.
std::string fetchConfig(DownloadConfig& config, const std::string& url, CURL* handle, const ConfigFetchLimits& limits,
                        ProxyChoice& proxy) {
  std::string body;
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  proxy = useSystemProxy(handle, url);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendChunkToStream);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, limits.timeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kConfigMaxBytes));
  // The handle is the configuration fetch's alone (the package transfer and the reports
  // make their own), and each fetch sets all it uses: nothing to reset afterwards.
  const CURLcode result = curl_easy_perform(handle);
  if (result == CURLE_WRITE_ERROR || result == CURLE_FILESIZE_EXCEEDED)
    return "the configuration is larger than " + std::to_string(kConfigMaxBytes) + " bytes";
  if (result != CURLE_OK) return curl_easy_strerror(result);
  std::string problem;
  readDownloadConfig(body, config, problem);
  return problem;
}

}  // namespace

bool CfgCheck(DownloadConfig& config, const std::string& url, CURL* handle, const ConfigFetchLimits& limits) {
  logLine(LOG_INFO, "cfg check start");
  if (!handle) return fail(curl_easy_strerror(CURLE_FAILED_INIT));
  ProxyChoice proxy;
  const std::string problem = fetchConfig(config, url, handle, limits, proxy);
  if (problem.empty()) {
    logLine(LOG_INFO, "check path:", config.m_strPath);
    logLine(LOG_INFO, "check gamePath:", config.m_strGamePath);
    logLine(LOG_INFO, "check packageName:", config.m_strPackageName);
    logLine(LOG_INFO, "cfg check end");
  } else {
    fail(problem);
  }
  // After the configuration's own lines, so that they read as they always have.
  logProxyInUse(proxy);
  return problem.empty();
}
