// The telemetry collector fixture's record, as the report tests read it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

#include "FixtureServers.h"

// The collector's record: one line "PATH BODY" per report received.
struct Collector : testing::Test {
  std::string url(const std::string& path = "/log/log") {
    return "https://localhost:" + std::to_string(fixturePort("collector")) + path;
  }

  void SetUp() override {
    ASSERT_NE(fixturePort("collector"), 0) << "the collector fixture is not running";
    m_recorded = lines("collector.bodies").size();
    m_connected = lines("collector.connections").size();
  }

  // The lines recorded since the test began.
  std::vector<std::string> received() { return since(lines("collector.bodies"), m_recorded); }

  // For each body received since the test began: "CLIENT_PORT RESUMED", its connection.
  std::vector<std::string> connections() { return since(lines("collector.connections"), m_connected); }

 private:
  static std::vector<std::string> lines(const char* name) {
    std::ifstream file(fixtureFile(name), std::ios::binary);
    std::vector<std::string> all;
    for (std::string line; std::getline(file, line);) all.push_back(line);
    return all;
  }
  static std::vector<std::string> since(const std::vector<std::string>& all, size_t first) {
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
  }
  size_t m_recorded = 0;
  size_t m_connected = 0;
};

// The client port of a connection line.
inline std::string portOf(const std::string& connection) { return connection.substr(0, connection.find(' ')); }
