#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "LogRecordPool.h"

// Threads taking and giving records and slots at once, each holding a few for a while,
// with fewer made ahead than they hold together, so that both are recycled and made
// anew: no record or slot is ever held by two threads at a time.
TEST(RecordPool, HandsEachRecordAndSlotToOneThreadAtATime) {
  RecordPool pool;
  pool.prepare(4, 1);
  constexpr int kThreads = 4;
  constexpr int kRounds = 1000000;
  constexpr int kHeld = 8;
  std::atomic<int> clashes{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      LogRecord* records[kHeld] = {};
      QueuedLine* lines[kHeld] = {};
      int marks[kHeld] = {};
      const auto giveBack = [&](int k) {
        if (records[k]->kindValue != marks[k] || lines[k]->kindValue != marks[k] || lines[k]->text[15] != 'a' + t)
          clashes.fetch_add(1);
        pool.giveRecord(records[k]);
        pool.returnSlots(lines[k], lines[k]);
      };
      for (int i = 0; i < kRounds; ++i) {
        const int k = i % kHeld;
        if (i >= kHeld) giveBack(k);
        records[k] = pool.takeRecord();
        lines[k] = pool.newLine(16);
        marks[k] = i * kThreads + t;
        records[k]->kindValue = marks[k];
        lines[k]->kindValue = marks[k];
        memset(lines[k]->text, 'a' + t, 16);
      }
      for (int k = 0; k < kHeld; ++k) giveBack(k);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(clashes.load(), 0);
}
