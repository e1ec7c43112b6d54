#include "DownloadEngine.h"

#include "DeviceInfo.h"
#include "Md5.h"
#include "Resources.h"
#include "StringTable.h"
#include "SystemProxy.h"
#include "TextConvert.h"

std::string eventBody(const std::string& type, const std::string& osName, const std::string& macAddress,
                      const std::string& udid) {
  Md5 md5;
  md5.update(udid.data(), udid.size());
  md5.update(kSigningKey, sizeof kSigningKey - 1);
  return "type=" + type + "&device_model=d&os_ver=o&os_name=" + osName + "&mac_addr=" + macAddress + "&udid=" + udid +
         "&app_ver=1.0.0&network=wifi&platform_tag=flash_launch&sign=" + md5.hexDigest();
}

DownloadEngine& DownloadEngine::instance() {
  static DownloadEngine engine(ToAnsi(LoadResourceText(IDS_REPORT_URL)), KVR_CA_BUNDLE);
  return engine;
}

DownloadEngine::DownloadEngine(std::string url, std::string caBundleFile)
    : sharedHandle(curl_easy_init()), reportUrl(std::move(url)), caBundle(std::move(caBundleFile)) {}

DownloadEngine::~DownloadEngine() {
  if (sharedHandle) curl_easy_cleanup(sharedHandle);
}

void DownloadEngine::report(std::string type) {
  const std::string osName = osVersionName();
  const std::string macAddress = macAddressText();
  const std::string udid = makeUdid();
  post(eventBody(type, osName, macAddress, udid));
}

CURLcode DownloadEngine::post(const std::string& body) {
  CURL* handle = curl_easy_init();
  if (!handle) return CURLE_FAILED_INIT;
  curl_easy_setopt(handle, CURLOPT_URL, reportUrl.c_str());
  logProxyInUse(useSystemProxy(handle, reportUrl));
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, static_cast<curl_read_callback>(nullptr));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  // Verification stays on; a deployment with its own authority names its bundle here.
  if (!caBundle.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, caBundle.c_str());
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kReportConnectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kReportLowSpeedSeconds);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, kReportTimeoutSeconds);
  // Reports stay synchronous and in order; a collector that did not answer before
  // only gets a short bound.
  if (m_collectorFailed) curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, kReportAfterFailureTimeoutMs);
  const CURLcode result = curl_easy_perform(handle);
  curl_easy_cleanup(handle);
  if (result == CURLE_OPERATION_TIMEDOUT || result == CURLE_COULDNT_CONNECT || result == CURLE_COULDNT_RESOLVE_HOST)
    m_collectorFailed = true;
  else if (result == CURLE_OK)
    m_collectorFailed = false;
  return result;
}
