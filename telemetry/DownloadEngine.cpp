#include "DownloadEngine.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "DeviceInfo.h"
#include "Md5.h"
#include "Resources.h"
#include "StringTable.h"
#include "SystemProxy.h"
#include "TextConvert.h"

namespace {

using Clock = std::chrono::steady_clock;

// Where a report opened ahead of time stands.
enum class HoldState { None, Waiting, Released, Dropped };

bool collectorMissing(CURLcode result) {
  return result == CURLE_OPERATION_TIMEDOUT || result == CURLE_COULDNT_CONNECT || result == CURLE_COULDNT_RESOLVE_HOST;
}

}  // namespace

struct DownloadEngine::Job {
  std::string url;
  std::string type;    // an event, its body made when it is sent
  std::string body;    // or a body given whole
  bool ahead = false;  // opened by `prepare`, its state in `hold`
  HoldState hold = HoldState::None;
  std::optional<Clock::time_point> sentAt;  // its exchange began: picked, or released when held
  bool done = false;
  CURLcode result = CURLE_OK;
};

// The reporter's view of a report opened ahead of time while its transfer runs.
struct DownloadEngine::Hold {
  DownloadEngine* engine;
  Job* job;
  bool reached = false;   // connected: the request waited for the release there
  bool sent = false;      // released there, the request went out
  bool timedOut = false;  // released, then over the bound of a whole exchange
};

std::string eventBody(const std::string& type, const std::string& osName, const std::string& macAddress,
                      const std::string& udid) {
  Md5 md5;
  md5.update(udid.data(), udid.size());
  md5.update(kSigningKey, sizeof kSigningKey - 1);
  return "type=" + type + "&device_model=d&os_ver=o&os_name=" + osName + "&mac_addr=" + macAddress + "&udid=" + udid +
         "&app_ver=1.0.0&network=wifi&platform_tag=flash_launch&sign=" + md5.hexDigest();
}

DownloadEngine& DownloadEngine::instance() {
  // Never destroyed: the package worker, which the process does not wait for, may still
  // report while it ends, and the end does not wait for its reports ("close launch" has
  // been waited for by then).
  static DownloadEngine* const engine = new DownloadEngine(ToAnsi(LoadResourceText(IDS_REPORT_URL)), KVR_CA_BUNDLE);
  return *engine;
}

// libcurl's global set-up happens here, in the first easy handle, before any reporter
// thread exists.
DownloadEngine::DownloadEngine(std::string url, std::string caBundleFile)
    : sharedHandle(curl_easy_init()), reportUrl(std::move(url)), caBundle(std::move(caBundleFile)) {}

DownloadEngine::~DownloadEngine() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    if (m_prepared && m_prepared->hold == HoldState::Waiting) m_prepared->hold = HoldState::Dropped;
  }
  m_changed.notify_all();
  if (m_reporter.joinable()) m_reporter.join();
  if (sharedHandle) curl_easy_cleanup(sharedHandle);
}

void DownloadEngine::prepare(std::string type) {
  auto job = std::make_shared<Job>();
  job->url = reportUrl;
  job->type = std::move(type);
  job->ahead = true;
  job->hold = HoldState::Waiting;
  const std::lock_guard<std::mutex> lock(m_mutex);
  if (m_prepared || m_stopping) return;
  m_prepared = job;
  m_queue.push_back(job);
  if (!m_reporter.joinable()) m_reporter = std::thread([this] { runReporter(); });
  m_changed.notify_all();
}

std::shared_ptr<DownloadEngine::Job> DownloadEngine::settlePrepared(const std::string& type) {
  std::shared_ptr<Job> prepared = std::move(m_prepared);
  m_prepared.reset();
  if (!prepared || prepared->hold != HoldState::Waiting) return nullptr;
  if (prepared->type != type) {
    prepared->hold = HoldState::Dropped;
    return nullptr;
  }
  prepared->hold = HoldState::Released;
  prepared->sentAt = Clock::now();
  return prepared;
}

std::shared_ptr<DownloadEngine::Job> DownloadEngine::enqueue(std::shared_ptr<Job> job) {
  std::shared_ptr<Job> queued;
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    queued = settlePrepared(job->body.empty() ? job->type : std::string());
    if (!queued && !m_stopping) {
      queued = std::move(job);
      m_queue.push_back(queued);
      if (!m_reporter.joinable()) m_reporter = std::thread([this] { runReporter(); });
    }
  }
  m_changed.notify_all();
  return queued;
}

void DownloadEngine::waitUntilDone(const std::shared_ptr<Job>& job) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [&] { return job->done; });
}

// A collector that has failed, or has left the exchange in flight unanswered for the
// short bound, holds the caller that short bound and no more: the report stays queued.
void DownloadEngine::waitUntilDoneOrTroubled(const std::shared_ptr<Job>& job) {
  const auto shortBound = limits.afterFailureTimeout;
  const Clock::time_point call = Clock::now();
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!job->done) {
    std::optional<Clock::time_point> troubledFrom;
    if (m_collectorFailed)
      troubledFrom = call;
    else if (!m_queue.empty() && m_queue.front()->sentAt)
      troubledFrom = *m_queue.front()->sentAt + shortBound;
    if (!troubledFrom) {
      m_changed.wait(lock);
      continue;
    }
    const Clock::time_point giveUp = std::max(call + shortBound, *troubledFrom);
    if (Clock::now() >= giveUp) return;
    m_changed.wait_until(lock, giveUp);
  }
}

void DownloadEngine::reportLater(std::string type) {
  auto job = std::make_shared<Job>();
  job->url = reportUrl;
  job->type = std::move(type);
  enqueue(std::move(job));
}

void DownloadEngine::report(std::string type) {
  auto job = std::make_shared<Job>();
  job->url = reportUrl;
  job->type = std::move(type);
  if (const std::shared_ptr<Job> queued = enqueue(std::move(job))) waitUntilDoneOrTroubled(queued);
}

CURLcode DownloadEngine::post(const std::string& body) {
  auto job = std::make_shared<Job>();
  job->url = reportUrl;
  job->body = body;
  const std::shared_ptr<Job> queued = enqueue(std::move(job));
  if (!queued) return CURLE_FAILED_INIT;
  waitUntilDone(queued);
  return queued->result;
}

void DownloadEngine::runReporter() {
  // One handle for the whole run: its connection, and the TLS session behind it, are
  // kept between reports.
  CURL* handle = curl_easy_init();
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return !m_queue.empty() || m_stopping; });
    if (m_queue.empty()) break;
    const std::shared_ptr<Job> job = m_queue.front();
    if (!job->ahead) {
      job->sentAt = Clock::now();
      m_changed.notify_all();
    }
    lock.unlock();
    const CURLcode result = handle ? send(handle, *job) : CURLE_FAILED_INIT;
    lock.lock();
    m_queue.pop_front();
    job->result = result;
    job->done = true;
    m_changed.notify_all();
  }
  lock.unlock();
  if (handle) curl_easy_cleanup(handle);
}

CURLcode DownloadEngine::send(CURL* handle, Job& job) {
  if (job.body.empty()) {
    if (!m_factsKnown) {
      m_osName = osVersionName();
      m_macAddress = macAddressText();
      m_factsKnown = true;
    }
    job.body = eventBody(job.type, m_osName, m_macAddress, makeUdid());
  }
  if (!job.ahead) return exchange(handle, job, nullptr);

  Hold hold{this, &job};
  const CURLcode result = exchange(handle, job, &hold);
  std::unique_lock<std::mutex> lock(m_mutex);
  if (hold.reached || job.hold != HoldState::Waiting) return result;
  // The connection failed before the report was made: it is sent once it is, as any
  // report after a failure.
  m_changed.wait(lock, [&] { return job.hold != HoldState::Waiting; });
  if (job.hold != HoldState::Released) return result;
  lock.unlock();
  return exchange(handle, job, nullptr);
}

CURLcode DownloadEngine::exchange(CURL* handle, Job& job, Hold* hold) {
  curl_easy_setopt(handle, CURLOPT_URL, job.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROXY, static_cast<const char*>(nullptr));
  const ProxyChoice proxy = useSystemProxy(handle, job.url);
  // A report opened ahead logs its proxy once it is made, after the configuration's lines.
  if (!hold) logProxyInUse(proxy);
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(job.body.size()));
  curl_easy_setopt(handle, CURLOPT_POSTFIELDS, job.body.c_str());
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, static_cast<curl_read_callback>(nullptr));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  // Verification stays on; a deployment with its own authority names its bundle here.
  if (!caBundle.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, caBundle.c_str());
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
  // A collector that did not answer before only gets a short bound. A report opened
  // ahead has its whole-exchange bound counted from its release, by the progress
  // callback (libcurl's own would count the wait for the release too).
  const auto timeout = m_collectorFailed ? limits.afterFailureTimeout : limits.timeout;
  const long timeoutMs = hold ? 0L : static_cast<long>(timeout.count());
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, hold ? &DownloadEngine::onConnected : nullptr);
  curl_easy_setopt(handle, CURLOPT_PREREQDATA, static_cast<void*>(hold));
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, hold ? &DownloadEngine::onProgress : nullptr);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, static_cast<void*>(hold));
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, hold ? 0L : 1L);

  CURLcode result = curl_easy_perform(handle);
  if (hold && hold->timedOut) result = CURLE_OPERATION_TIMEDOUT;
  if (hold && hold->sent) logProxyInUse(proxy);
  long opened = 0;
  if (curl_easy_getinfo(handle, CURLINFO_NUM_CONNECTS, &opened) == CURLE_OK) m_connectionsOpened += opened;
  if (collectorMissing(result))
    m_collectorFailed = true;
  else if (result == CURLE_OK)
    m_collectorFailed = false;
  return result;
}

// Connected, the request not yet sent: a report opened ahead waits here for its release.
int DownloadEngine::onConnected(void* data, char*, char*, int, int) {
  Hold& hold = *static_cast<Hold*>(data);
  hold.reached = true;
  std::unique_lock<std::mutex> lock(hold.engine->m_mutex);
  hold.engine->m_changed.wait(lock, [&] { return hold.job->hold != HoldState::Waiting; });
  hold.sent = hold.job->hold == HoldState::Released;
  return hold.sent ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
}

// Called at least once a second: ends a report opened ahead that was dropped while it
// connected, or that has run over the bound of a whole exchange since its release.
int DownloadEngine::onProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  Hold& hold = *static_cast<Hold*>(data);
  const std::lock_guard<std::mutex> lock(hold.engine->m_mutex);
  if (hold.job->hold == HoldState::Dropped) return 1;
  if (hold.job->hold == HoldState::Released && Clock::now() - *hold.job->sentAt > hold.engine->limits.timeout) {
    hold.timedOut = true;
    return 1;
  }
  return 0;
}
