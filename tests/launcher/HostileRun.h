// The launcher run as a process in surroundings a player's machine can offer: its
// own HOME (used on Linux), a fresh install folder, the local channel serving a
// configuration the test chooses.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "FixtureServers.h"
#include "InstallLayout.h"
#include "LogLines.h"
#include "Process.h"
#include "StartupPlatform.h"
#include "TestDesktop.h"
#include "TestFolder.h"
#include "WindowClick.h"

struct HostileRun : testing::Test {
  TestFolder home;
  TestDesktop desktop{home.path() / "Desktop"};
  std::filesystem::path install;
  std::filesystem::path launcher = std::filesystem::u8path(KVR_LAUNCHER_EXE);
  size_t eventsBefore = 0;

  // A configuration whose game folder is `path` and whose package is `packageName`.
  static std::string configurationFor(const std::string& path, const std::string& packageName = "kvr.7z") {
    return R"({"path": ")" + path + R"(", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", )" +
           R"("packageName": ")" + packageName + R"("})";
  }

  void configure(const std::string& document) {
    writeFile(std::filesystem::u8path(fixtureFile("channel-PCDownloadCfg.json")), document);
  }

  void servePackage(const std::string& archive) {
    writeFile(std::filesystem::u8path(fixtureFile("channel-kvr.7z")),
              readFile(std::filesystem::u8path(KVR_ARCHIVE_FIXTURES) / archive));
  }

  void SetUp() override {
    setEnvironment("HOME", home.path().string());
    install = std::filesystem::u8path(installFolder());
    removeTree(install.parent_path());
    configure(configurationFor("./kvr/game"));
    servePackage("nested.7z");
    eventsBefore = channelEventTypes().size();
  }

  void TearDown() override { removeTree(install.parent_path()); }

  std::vector<std::string> newEvents() const { return channelEventTypesSince(eventsBefore); }

  ProcessResult run(const std::vector<std::string>& arguments = {}) { return runProgram(launcher.string(), arguments); }

  // Calls `start` (which runs the launcher and waits for it) while a player presses the
  // window's close button once the package work is over (the worker's last line): the
  // launcher that shows its window stays until it is closed.
  template <typename Start>
  ProcessResult closedOnceInstalled(Start start) {
    std::atomic<bool> ended{false};
    std::thread player([&] {
      auto nextClick = std::chrono::steady_clock::now();
      while (!ended) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (std::chrono::steady_clock::now() < nextClick || !logged("7z decode end2")) continue;
        // The close button's middle; a refused press would open a box, so press once a while.
        if (clickInWindow("Kavran", 1073 + 19, 95 + 19))
          nextClick = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      }
    });
    const ProcessResult result = start();
    ended = true;
    player.join();
    return result;
  }

  // The launcher's own lines, without the header and the logger's start-up lines.
  std::vector<std::string> launcherLines() const { return infoLinesBelow(install / "kvr" / "logs"); }

  bool logged(const std::string& start) const {
    for (const std::string& line : launcherLines())
      if (line.rfind(start, 0) == 0) return true;
    return false;
  }
};
