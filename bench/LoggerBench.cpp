// Throughput and producer latency of the queued logger, side by side with spdlog's
// asynchronous logger and a plain fwrite floor, all writing the same line to files in
// one folder. One invocation measures one peer in one test and prints one "result"
// line; "report" turns a file of such lines into medians and ratios.
//
//   kvr_logger_bench run --peer ours|spdlog|fwrite --test tput|burst|sustained|memory
//                        --threads N --dir FOLDER [--lines N]
//   kvr_logger_bench report RESULTS_FILE

#include <spdlog/async.h>
#include <spdlog/async_logger.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "LogLine.h"
#include "LogManager.h"
#include "Logger.h"
#include "SystemClock.h"

namespace {

using Clock = std::chrono::steady_clock;

// With the header and CR LF this makes a line of about 100 bytes.
constexpr char kText[] = "order book snapshot applied ok";
constexpr char kPattern[] = "%Y-%m-%d %H:%M:%S.%e [%&] %* %v";

// Burst test: bursts of kBurstCalls calls every kBurstPeriod per thread, a pace at
// which none of the queues reaches its limit (ours drains every 50 ms: at most
// 2 x 10 x 500 records are queued then).
constexpr int kBursts = 400;
constexpr int kBurstCalls = 500;
constexpr auto kBurstPeriod = std::chrono::microseconds(5000);

// Memory test: one burst of this many lines as fast as one thread can make them, then
// a second of idle before the resident set is read.
constexpr uint64_t kMemoryBurstLines = 10000;
constexpr auto kMemoryIdle = std::chrono::seconds(1);

uint64_t nanosecondsBetween(Clock::time_point from, Clock::time_point to) {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count());
}

// ---- the three peers -----------------------------------------------------------------

class BenchPeer {
 public:
  virtual ~BenchPeer() = default;
  virtual void log(uint32_t thread, uint64_t sequence) = 0;
  // Returns once every line is in the file and the file is closed.
  virtual void finish() = 0;
  // Records queued but not yet taken by the writer, where the peer can tell.
  virtual uint64_t backlog() { return 0; }
  // Lines the peer writes on its own (our writer's start banner).
  virtual int ownLines() const { return 0; }
};

class OursPeer : public BenchPeer {
 public:
  explicit OursPeer(const std::string& folder) {
    m_manager.setProcessName("bench");
    m_manager.setLoggerName(0, "ours");
    m_manager.setLoggerPath(0, folder.c_str());
    m_manager.setLoggerFileLine(0, false);
    m_manager.setLoggerDisplay(0, false);
    m_started = m_manager.start();
  }
  bool started() const { return m_started; }
  void log(uint32_t thread, uint64_t sequence) override {
    KVR_LOG_TO(m_manager, 0, LOG_INFO, "seq=", sequence, " thr=", thread, " text=", kText);
  }
  void finish() override { m_manager.stop(); }
  uint64_t backlog() override { return m_manager.totalPushCount() - m_manager.totalPopCount(); }
  int ownLines() const override { return 2; }

 private:
  LogManager m_manager;
  bool m_started = false;
};

// Our level text and our thread id (at least four digits, zero-filled), so that
// spdlog's lines carry the same bytes as ours.
class LevelTextFlag : public spdlog::custom_flag_formatter {
 public:
  void format(const spdlog::details::log_msg&, const std::tm&, spdlog::memory_buf_t& dest) override {
    constexpr std::string_view text = "LOG_INFO";
    dest.append(text.data(), text.data() + text.size());
  }
  std::unique_ptr<custom_flag_formatter> clone() const override { return std::make_unique<LevelTextFlag>(); }
};

class ThreadIdFlag : public spdlog::custom_flag_formatter {
 public:
  void format(const spdlog::details::log_msg& msg, const std::tm&, spdlog::memory_buf_t& dest) override {
    char digits[80];  // numbers are only written with 65 bytes of room
    RecordStream stream(digits, digits + sizeof digits);
    stream.writeUnsigned(msg.thread_id, 4);
    dest.append(digits, digits + stream.written());
  }
  std::unique_ptr<custom_flag_formatter> clone() const override { return std::make_unique<ThreadIdFlag>(); }
};

class SpdlogPeer : public BenchPeer {
 public:
  explicit SpdlogPeer(const std::string& folder) {
    spdlog::init_thread_pool(8192, 1);
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(folder + "spdlog.log", true);
    m_logger = std::make_shared<spdlog::async_logger>("bench", std::move(sink), spdlog::thread_pool(),
                                                      spdlog::async_overflow_policy::block);
    auto formatter = std::make_unique<spdlog::pattern_formatter>(spdlog::pattern_time_type::local, "\r\n");
    formatter->add_flag<LevelTextFlag>('*').add_flag<ThreadIdFlag>('&').set_pattern(kPattern);
    m_logger->set_formatter(std::move(formatter));
  }
  void log(uint32_t thread, uint64_t sequence) override {
    m_logger->info("seq={} thr={} text={}", sequence, thread, kText);
  }
  void finish() override {
    m_logger->flush();
    m_logger.reset();
    // Joins the worker once it has written everything queued, the flush included;
    // the last reference to the sink goes with it and closes the file.
    spdlog::shutdown();
  }

 private:
  std::shared_ptr<spdlog::async_logger> m_logger;
};

// The floor: the same header and message formatted on the calling thread and written
// with one fwrite to one shared FILE, which glibc's own stream lock serialises.
class FwritePeer : public BenchPeer {
 public:
  explicit FwritePeer(const std::string& folder) : m_file(fopen((folder + "fwrite.log").c_str(), "wb")) {}
  bool opened() const { return m_file != nullptr; }
  void log(uint32_t thread, uint64_t sequence) override {
    char line[512];
    RecordStream stream(line, line + sizeof line);
    const auto now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    writeLineHeader(stream, now / 1000, static_cast<uint32_t>(now % 1000), currentThreadId(), LOG_INFO);
    writePieces(stream, "seq=", sequence, " thr=", thread, " text=", kText, "\r\n");
    fwrite(line, 1, static_cast<size_t>(stream.written()), m_file);
  }
  void finish() override {
    fclose(m_file);
    m_file = nullptr;
  }

 private:
  FILE* m_file;
};

// ---- checking the files --------------------------------------------------------------

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads an unsigned decimal at `pos`; false without digits.
bool readNumber(std::string_view line, size_t& pos, uint64_t& value) {
  const size_t start = pos;
  value = 0;
  while (pos < line.size() && isDigit(line[pos])) value = value * 10 + static_cast<uint64_t>(line[pos++] - '0');
  return pos > start && pos - start < 20;
}

bool expect(std::string_view line, size_t& pos, std::string_view text) {
  if (line.substr(pos, text.size()) != text) return false;
  pos += text.size();
  return true;
}

class LineChecker {
 public:
  LineChecker(uint32_t threads, uint64_t perThread)
      : m_perThread(perThread), m_seen(threads, std::vector<bool>(perThread, false)) {}

  // One line including its CR LF.
  bool check(std::string_view line, std::string& error) {
    // "2024-03-05 14:07:09.123 [4321] "
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd.ddd [";
    for (size_t i = 0; i + 1 < sizeof kShape; ++i) {
      const bool ok = kShape[i] == 'd' ? i < line.size() && isDigit(line[i]) : i < line.size() && line[i] == kShape[i];
      if (!ok) return fail(line, "bad time header", error);
    }
    size_t pos = sizeof kShape - 1;
    const size_t idStart = pos;
    uint64_t threadId = 0;
    if (!readNumber(line, pos, threadId) || pos - idStart < 4 || !expect(line, pos, "] "))
      return fail(line, "bad thread id", error);
    if (expect(line, pos, "LOG_ALARM ")) {
      const std::string_view rest = line.substr(pos);
      if (rest.starts_with("-----------------  logger thread started!") || rest.starts_with("logger id=")) {
        ++m_ownLines;
        return true;
      }
      return fail(line, "unknown LOG_ALARM line", error);
    }
    uint64_t sequence = 0;
    uint64_t thread = 0;
    if (!expect(line, pos, "LOG_INFO seq=") || !readNumber(line, pos, sequence) || !expect(line, pos, " thr=") ||
        !readNumber(line, pos, thread) || !expect(line, pos, " text=") || !expect(line, pos, kText) ||
        !expect(line, pos, "\r\n") || pos != line.size())
      return fail(line, "torn or malformed line", error);
    if (thread >= m_seen.size() || sequence >= m_perThread) return fail(line, "number out of range", error);
    if (m_seen[thread][sequence]) return fail(line, "duplicated line", error);
    m_seen[thread][sequence] = true;
    ++m_lines;
    return true;
  }

  uint64_t lines() const { return m_lines; }
  int ownLines() const { return m_ownLines; }

 private:
  static bool fail(std::string_view line, const char* what, std::string& error) {
    error = std::string(what) + ": \"" + std::string(line.substr(0, 160)) + "\"";
    return false;
  }

  uint64_t m_perThread;
  std::vector<std::vector<bool>> m_seen;
  uint64_t m_lines = 0;
  int m_ownLines = 0;
};

// Checks every line of every file in `folder`, then deletes the files.
bool checkAndClear(const std::string& folder, const BenchPeer& peer, uint32_t threads, uint64_t perThread,
                   std::string& error) {
  LineChecker checker(threads, perThread);
  bool ok = true;
  char* buffer = nullptr;
  size_t capacity = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    FILE* file = ok ? fopen(entry.path().c_str(), "rb") : nullptr;
    if (ok && file == nullptr) {
      error = "cannot read " + entry.path().string();
      ok = false;
    }
    ssize_t length = 0;
    while (ok && (length = getline(&buffer, &capacity, file)) > 0)
      ok = checker.check(std::string_view(buffer, static_cast<size_t>(length)), error);
    if (file != nullptr) fclose(file);
    std::filesystem::remove(entry.path());
  }
  free(buffer);
  if (!ok) return false;
  if (checker.lines() != threads * perThread) {
    error = "found " + std::to_string(checker.lines()) + " lines of " + std::to_string(threads * perThread);
    return false;
  }
  if (checker.ownLines() != peer.ownLines()) {
    error = "found " + std::to_string(checker.ownLines()) + " logger banner lines, expected " +
            std::to_string(peer.ownLines());
    return false;
  }
  return true;
}

// ---- workloads -----------------------------------------------------------------------

struct Measure {
  double seconds = 0;
  double cpuSeconds = 0;            // all threads of the process, user and system
  std::vector<uint32_t> latencies;  // nanoseconds per call, all threads
  uint64_t maxBacklog = 0;
  uint64_t callsOverMillisecond = 0;
  uint64_t residentKib = 0;  // memory test: resident set after the burst and the idle second
};

// Median cost of one steady_clock pair around nothing: the floor under every sample.
uint64_t timerOverhead() {
  std::vector<uint64_t> samples(200000);
  for (uint64_t& sample : samples) {
    const auto before = Clock::now();
    const auto after = Clock::now();
    sample = nanosecondsBetween(before, after);
  }
  std::nth_element(samples.begin(), samples.begin() + static_cast<ptrdiff_t>(samples.size() / 2), samples.end());
  return samples[samples.size() / 2];
}

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& value) {
    return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `body(thread)` on `threads` threads released together; the clock runs from the
// release until `peer.finish()` has returned. CPU time is measured over the same span:
// unlike the wall clock it hardly moves when other processes take the cores.
template <typename Body>
void runTimed(BenchPeer& peer, uint32_t threads, Body body, uint64_t* maxBacklog, Measure& measure) {
  std::atomic<uint32_t> ready{0};
  std::atomic<bool> go{false};
  std::atomic<bool> done{false};
  std::vector<std::thread> producers;
  for (uint32_t t = 0; t < threads; ++t) {
    producers.emplace_back([&, t] {
      ready.fetch_add(1);
      while (!go.load()) std::this_thread::yield();
      body(t);
    });
  }
  std::thread monitor;
  if (maxBacklog != nullptr) {
    monitor = std::thread([&] {
      while (!done.load()) {
        *maxBacklog = std::max(*maxBacklog, peer.backlog());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  while (ready.load() < threads) std::this_thread::yield();
  const double startCpu = processCpuSeconds();
  const auto start = Clock::now();
  go = true;
  for (std::thread& producer : producers) producer.join();
  done = true;
  if (monitor.joinable()) monitor.join();
  peer.finish();
  measure.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  measure.cpuSeconds = processCpuSeconds() - startCpu;
}

Measure throughput(BenchPeer& peer, uint32_t threads, uint64_t perThread) {
  Measure measure;
  runTimed(
      peer, threads,
      [&](uint32_t thread) {
        for (uint64_t sequence = 0; sequence < perThread; ++sequence) peer.log(thread, sequence);
      },
      nullptr, measure);
  return measure;
}

// Times every call; `paced` spreads the calls in bursts, otherwise they run back to back.
Measure latency(BenchPeer& peer, uint32_t threads, uint64_t perThread, bool paced) {
  std::vector<std::vector<uint32_t>> samples(threads, std::vector<uint32_t>(perThread, 0));
  Measure measure;
  runTimed(
      peer, threads,
      [&](uint32_t thread) {
        uint32_t* out = samples[thread].data();
        const auto begin = Clock::now();
        for (uint64_t sequence = 0; sequence < perThread; ++sequence) {
          if (paced && sequence % kBurstCalls == 0)
            std::this_thread::sleep_until(begin + kBurstPeriod * static_cast<int64_t>(sequence / kBurstCalls));
          const auto before = Clock::now();
          peer.log(thread, sequence);
          const auto after = Clock::now();
          out[sequence] = static_cast<uint32_t>(std::min<uint64_t>(nanosecondsBetween(before, after), UINT32_MAX));
        }
      },
      &measure.maxBacklog, measure);
  for (const auto& perThreadSamples : samples) {
    measure.latencies.insert(measure.latencies.end(), perThreadSamples.begin(), perThreadSamples.end());
  }
  measure.callsOverMillisecond = static_cast<uint64_t>(
      std::count_if(measure.latencies.begin(), measure.latencies.end(), [](uint32_t ns) { return ns >= 1000000; }));
  return measure;
}

// The process's resident set (VmRSS) in KiB; 0 when it cannot be read.
uint64_t residentKib() {
  FILE* status = fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  unsigned long long kib = 0;
  while (fgets(line, sizeof line, status) != nullptr)
    if (sscanf(line, "VmRSS: %llu kB", &kib) == 1) break;
  fclose(status);
  return kib;
}

// One burst from the calling thread, then a second of idle; the resident set is read
// before the peer is finished, so whatever it keeps between bursts is counted.
Measure burstThenIdle(BenchPeer& peer, uint64_t lines) {
  Measure measure;
  const auto start = Clock::now();
  for (uint64_t sequence = 0; sequence < lines; ++sequence) peer.log(0, sequence);
  std::this_thread::sleep_for(kMemoryIdle);
  measure.residentKib = residentKib();
  peer.finish();
  measure.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return measure;
}

// The machine's one-minute load average, so that each figure says how busy the cores
// were; -1 when it cannot be read.
double loadAverage() {
  FILE* file = fopen("/proc/loadavg", "r");
  if (file == nullptr) return -1;
  double load = -1;
  if (fscanf(file, "%lf", &load) != 1) load = -1;
  fclose(file);
  return load;
}

uint32_t percentile(const std::vector<uint32_t>& sorted, double fraction) {
  const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())));
  return sorted[index];
}

struct RunOptions {
  std::string peer;
  std::string test;
  uint32_t threads = 1;
  uint64_t lines = 2000000;
  std::string folder;
};

int runOne(const RunOptions& options) {
  std::filesystem::create_directories(options.folder);
  if (!std::filesystem::is_empty(options.folder)) {
    fprintf(stderr, "folder %s is not empty\n", options.folder.c_str());
    return 2;
  }
  const std::string folder = options.folder + "/";
  const uint64_t residentBefore = residentKib();  // before the peer makes its queue or pool
  std::unique_ptr<BenchPeer> peer;
  if (options.peer == "ours") {
    auto ours = std::make_unique<OursPeer>(folder);
    if (!ours->started()) {
      fprintf(stderr, "our logger did not start\n");
      return 1;
    }
    peer = std::move(ours);
  } else if (options.peer == "spdlog") {
    peer = std::make_unique<SpdlogPeer>(folder);
  } else if (options.peer == "fwrite") {
    auto floor = std::make_unique<FwritePeer>(folder);
    if (!floor->opened()) {
      fprintf(stderr, "cannot open a file in %s\n", folder.c_str());
      return 1;
    }
    peer = std::move(floor);
  } else {
    fprintf(stderr, "unknown peer %s\n", options.peer.c_str());
    return 2;
  }

  const uint64_t timer = timerOverhead();
  uint64_t perThread = options.lines / options.threads;
  Measure measure;
  if (options.test == "tput") {
    measure = throughput(*peer, options.threads, perThread);
  } else if (options.test == "burst") {
    perThread = static_cast<uint64_t>(kBursts) * kBurstCalls;
    measure = latency(*peer, options.threads, perThread, true);
  } else if (options.test == "sustained") {
    measure = latency(*peer, options.threads, perThread, false);
  } else if (options.test == "memory") {
    if (options.threads != 1) {
      fprintf(stderr, "the memory test runs on one thread\n");
      return 2;
    }
    perThread = kMemoryBurstLines;
    measure = burstThenIdle(*peer, perThread);
  } else {
    fprintf(stderr, "unknown test %s\n", options.test.c_str());
    return 2;
  }

  std::string error;
  if (!checkAndClear(options.folder, *peer, options.threads, perThread, error)) {
    fprintf(stderr, "CHECK FAILED (%s, %s, %u threads): %s\n", options.peer.c_str(), options.test.c_str(),
            options.threads, error.c_str());
    return 1;
  }

  const double lines = static_cast<double>(perThread * options.threads);
  printf("result peer=%s test=%s threads=%u lines=%.0f seconds=%.4f lps=%.0f cpu=%.0f timer=%llu load=%.2f",
         options.peer.c_str(), options.test.c_str(), options.threads, lines, measure.seconds, lines / measure.seconds,
         measure.cpuSeconds * 1e9 / lines, static_cast<unsigned long long>(timer), loadAverage());
  if (!measure.latencies.empty()) {
    std::vector<uint32_t>& all = measure.latencies;
    std::sort(all.begin(), all.end());
    printf(" p50=%u p99=%u p999=%u max=%u slow=%llu backlog=%llu", percentile(all, 0.5), percentile(all, 0.99),
           percentile(all, 0.999), all.back(), static_cast<unsigned long long>(measure.callsOverMillisecond),
           static_cast<unsigned long long>(measure.maxBacklog));
  }
  if (options.test == "memory")
    printf(" rss=%llu rssgrowth=%lld", static_cast<unsigned long long>(measure.residentKib),
           static_cast<long long>(measure.residentKib) - static_cast<long long>(residentBefore));
  printf("\n");
  return 0;
}

// ---- the report ----------------------------------------------------------------------

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Cell {
  std::map<std::string, std::vector<double>> values;
  double med(const std::string& key) const {
    const auto found = values.find(key);
    return found == values.end() ? 0 : median(found->second);
  }
  double spread(const std::string& key) const {
    const auto found = values.find(key);
    if (found == values.end() || found->second.empty()) return 0;
    const auto [low, high] = std::minmax_element(found->second.begin(), found->second.end());
    const double mid = median(found->second);
    return mid > 0 ? (*high - *low) / mid * 100 : 0;
  }
};

std::string ratioText(double ours, double other) {
  if (other <= 0) return "-";
  char text[32];
  snprintf(text, sizeof text, "%.2f", ours / other);
  return text;
}

int report(const std::string& path) {
  FILE* file = fopen(path.c_str(), "r");
  if (file == nullptr) {
    fprintf(stderr, "cannot read %s\n", path.c_str());
    return 2;
  }
  // (test, threads, peer) -> metric -> one value per round
  std::map<std::tuple<std::string, int, std::string>, Cell> cells;
  char line[1024];
  double timer = 0;
  std::vector<double> timers;
  std::vector<double> loads;
  while (fgets(line, sizeof line, file) != nullptr) {
    std::istringstream words(line);
    std::string word;
    std::map<std::string, std::string> fields;
    while (words >> word) {
      const size_t equals = word.find('=');
      if (equals != std::string::npos) fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    if (!fields.count("peer")) continue;
    Cell& cell = cells[{fields["test"], std::stoi(fields["threads"]), fields["peer"]}];
    for (const auto& [key, value] : fields)
      if (key != "peer" && key != "test" && key != "threads") cell.values[key].push_back(std::stod(value));
    timers.push_back(std::stod(fields["timer"]));
    if (fields.count("load") && std::stod(fields["load"]) >= 0) loads.push_back(std::stod(fields["load"]));
  }
  fclose(file);
  timer = median(timers);

  const char* const peers[] = {"ours", "spdlog", "fwrite"};
  auto cellOf = [&](const std::string& test, int threads, const char* peer) -> const Cell* {
    const auto found = cells.find({test, threads, peer});
    return found == cells.end() ? nullptr : &found->second;
  };
  // The load of every run in one row of a table, all peers together.
  auto rowLoad = [&](const std::string& test, int threads) {
    std::vector<double> values;
    for (const char* peer : {"ours", "spdlog", "fwrite"}) {
      const Cell* cell = cellOf(test, threads, peer);
      if (cell != nullptr && cell->values.count("load"))
        values.insert(values.end(), cell->values.at("load").begin(), cell->values.at("load").end());
    }
    return median(values);
  };
  size_t rounds = 0;
  for (const auto& [key, cell] : cells)
    rounds = std::max(rounds, cell.values.count("lps") ? cell.values.at("lps").size() : 0);

  printf("\nMedians of %zu rounds; (+-N%%) is half the spread (max - min) over the rounds, relative to the median.\n",
         rounds);
  if (!loads.empty()) {
    const auto [low, high] = std::minmax_element(loads.begin(), loads.end());
    printf(
        "Load average (1 min) at the end of the runs: median %.2f, %.2f to %.2f; \"load\" columns: the median of\n"
        "the runs in that row.\n",
        median(loads), *low, *high);
  }
  struct Column {
    const char* key;
    const char* title;
    double scale;
  };
  const Column throughputColumns[] = {
      {"lps", "Throughput, thousand lines/s until every line is in its file (goal ours/spdlog >= 1.5)", 1000},
      {"cpu", "CPU time per line, ns, all threads (steadier than the wall clock when others load the cores)", 1},
  };
  for (const Column& column : throughputColumns) {
    printf("\n%s\n", column.title);
    printf("%-8s %-14s %-14s %-14s %11s %11s %6s\n", "threads", "ours", "spdlog", "fwrite", "ours/spdlog",
           "ours/fwrite", "load");
    for (int threads : {1, 2}) {
      const Cell* ours = cellOf("tput", threads, "ours");
      if (ours == nullptr) continue;
      printf("%-8d", threads);
      for (const char* peer : peers) {
        const Cell* cell = cellOf("tput", threads, peer);
        char text[40] = "-";
        if (cell != nullptr)
          snprintf(text, sizeof text, "%.0f (+-%.0f%%)", cell->med(column.key) / column.scale,
                   cell->spread(column.key) / 2);
        printf(" %-14s", text);
      }
      const Cell* spd = cellOf("tput", threads, "spdlog");
      const Cell* flr = cellOf("tput", threads, "fwrite");
      printf(" %11s %11s %6.2f\n", ratioText(ours->med(column.key), spd ? spd->med(column.key) : 0).c_str(),
             ratioText(ours->med(column.key), flr ? flr->med(column.key) : 0).c_str(), rowLoad("tput", threads));
    }
  }

  printf("\nProducer latency per call, ns (timer pair overhead %.0f ns, included; goal p99 ours/spdlog <= 0.75)\n",
         timer);
  printf("%-10s %-7s %-7s %8s %8s %8s %10s %8s %9s %9s %6s\n", "test", "threads", "peer", "p50", "p99", "p99.9", "max",
         ">=1ms", "backlog", "lines/s", "load");
  for (const char* test : {"burst", "sustained"}) {
    for (int threads : {1, 2}) {
      for (const char* peer : peers) {
        const Cell* cell = cellOf(test, threads, peer);
        if (cell == nullptr) continue;
        printf("%-10s %-7d %-7s %8.0f %8.0f %8.0f %10.0f %8.0f %9.0f %8.0fk %6.2f\n", test, threads, peer,
               cell->med("p50"), cell->med("p99"), cell->med("p999"), cell->med("max"), cell->med("slow"),
               cell->med("backlog"), cell->med("lps") / 1000, cell->med("load"));
      }
      const Cell* ours = cellOf(test, threads, "ours");
      const Cell* spd = cellOf(test, threads, "spdlog");
      const Cell* flr = cellOf(test, threads, "fwrite");
      if (ours == nullptr) continue;
      printf("%-10s %-7d %-7s", "", threads, "ratio");
      for (const char* key : {"p50", "p99", "p999", "max"})
        printf(" %8s", ratioText(ours->med(key), spd ? spd->med(key) : 0).c_str());
      printf("   ours/spdlog\n");
      printf("%-10s %-7d %-7s", "", threads, "ratio");
      for (const char* key : {"p50", "p99", "p999", "max"})
        printf(" %8s", ratioText(ours->med(key), flr ? flr->med(key) : 0).c_str());
      printf("   ours/fwrite\n");
    }
  }
  const Cell* memoryOurs = cellOf("memory", 1, "ours");
  if (memoryOurs != nullptr) {
    printf("\nResident memory after a burst of %llu lines and %lld s of idle, KiB (goal: ours growth <= spdlog's)\n",
           static_cast<unsigned long long>(kMemoryBurstLines), static_cast<long long>(kMemoryIdle.count()));
    printf("%-8s %10s %12s %6s\n", "peer", "resident", "growth", "load");
    for (const char* peer : peers) {
      const Cell* cell = cellOf("memory", 1, peer);
      if (cell != nullptr)
        printf("%-8s %10.0f %12.0f %6.2f\n", peer, cell->med("rss"), cell->med("rssgrowth"), cell->med("load"));
    }
    const Cell* spd = cellOf("memory", 1, "spdlog");
    printf("%-8s %10s %12s   ours/spdlog\n", "ratio",
           ratioText(memoryOurs->med("rss"), spd ? spd->med("rss") : 0).c_str(),
           ratioText(memoryOurs->med("rssgrowth"), spd ? spd->med("rssgrowth") : 0).c_str());
    printf(
        "growth: the resident set then minus the resident set before the peer was made (its queue, pool,\n"
        "thread and file buffer included).\n");
  }
  printf(
      "\nbacklog: most records queued and not yet taken by our writer (sampled each ms); >=1ms: calls of 1 ms or "
      "more.\n");
  return 0;
}

int usage() {
  fprintf(stderr,
          "usage: kvr_logger_bench run --peer ours|spdlog|fwrite --test tput|burst|sustained|memory --threads N --dir "
          "FOLDER "
          "[--lines N]\n"
          "       kvr_logger_bench report RESULTS_FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "report") return report(argv[2]);
  if (argc < 2 || std::string(argv[1]) != "run") return usage();
  RunOptions options;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const std::string value = argv[i + 1];
    if (key == "--peer") {
      options.peer = value;
    } else if (key == "--test") {
      options.test = value;
    } else if (key == "--threads") {
      options.threads = static_cast<uint32_t>(std::stoul(value));
    } else if (key == "--lines") {
      options.lines = std::stoull(value);
    } else if (key == "--dir") {
      options.folder = value;
    } else {
      return usage();
    }
  }
  if (options.peer.empty() || options.test.empty() || options.folder.empty() || options.threads == 0) return usage();
  return runOne(options);
}
