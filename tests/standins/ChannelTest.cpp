#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "ChannelClient.h"
#include "CopyData.h"
#include "CopyDataRecord.h"
#include "FileSystem.h"
#include "Process.h"
#include "TestFolder.h"

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

std::string channelClientCommand(const std::string& recordFile, int timeLimitMs) {
  const fs::path program = fs::path(executablePath()).parent_path() / "channel_client";
  return "\"" + program.string() + "\" " + recordFile + " " + std::to_string(timeLimitMs);
}

std::vector<std::string> lines(std::string text) {
  std::vector<std::string> result;
  for (size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1))
    result.push_back(text.substr(0, end));
  return result;
}

}  // namespace

TEST(ChannelClient, ReceivesRecords) {
  TestFolder folder;
  ChildProcess client(channelClientCommand("records.txt", 30000));
  ASSERT_TRUE(client.started());
  const std::optional<std::string> idLine = client.readLine(std::chrono::seconds(30));
  ASSERT_TRUE(idLine);
  const auto winId = static_cast<int32_t>(std::strtol(idLine->c_str(), nullptr, 10));
  ASSERT_GT(winId, 0) << *idLine;

  std::vector<uint8_t> allBytes(256);
  for (size_t i = 0; i < allBytes.size(); ++i) allBytes[i] = static_cast<uint8_t>(i);
  const std::vector<uint8_t> oddSize = {0x41, 0x00, 0x42};
  EXPECT_TRUE(sendCopyData(winId, 0xffffffffu, allBytes));
  EXPECT_TRUE(sendCopyData(winId, 7, {}));
  EXPECT_TRUE(sendCopyData(winId, 2, oddSize));
  EXPECT_TRUE(sendCloseNotice(winId));

  // Sends return once the client has taken the record, so every line is there now.
  const std::vector<uint8_t> notice = closeNoticePayload();
  ASSERT_EQ(notice.size(), 528u);
  const std::vector<std::string> expected = {
      formatCopyDataRecord(0xffffffffu, winId, allBytes.data(), allBytes.size()),
      formatCopyDataRecord(7, winId, nullptr, 0),
      formatCopyDataRecord(2, winId, oddSize.data(), oddSize.size()),
      formatCopyDataRecord(1, winId, notice.data(), notice.size()),
  };
  EXPECT_EQ(lines(readFile("records.txt")), expected);
}

// A window id that names no window: nothing is delivered, and the sender neither hangs nor
// dies. The id of a window that has just gone is the likely case; 0 and negative ids too.
TEST(ChannelClient, NoWindow) {
  TestFolder folder;
  int32_t goneId = 0;
  {
    ChildProcess client(channelClientCommand("records.txt", 200));
    ASSERT_TRUE(client.started());
    const std::optional<std::string> idLine = client.readLine(std::chrono::seconds(30));
    ASSERT_TRUE(idLine);
    goneId = static_cast<int32_t>(std::strtol(idLine->c_str(), nullptr, 10));
    ASSERT_EQ(client.wait(std::chrono::seconds(30)), 0);
  }
  for (const int32_t winId : {goneId, 0, -1, -65734}) {
    const auto start = steady_clock::now();
    EXPECT_FALSE(sendCopyData(winId, 1, closeNoticePayload())) << winId;
    EXPECT_FALSE(sendCloseNotice(winId)) << winId;
    EXPECT_LT(steady_clock::now() - start, milliseconds(1000)) << winId;
  }
  EXPECT_FALSE(fs::exists("records.txt"));
}
