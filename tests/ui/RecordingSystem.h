// What the login view and its script bridge ask of the system, recorded in order instead
// of done: no game starts, no box waits for a player, no browser opens, nothing is posted.
#pragma once

#include <string>
#include <vector>

#include "ScriptBridge.h"
#include "Utf8.h"

struct RecordingSystem : WebViewSystem {
  std::vector<std::string> calls;
  std::vector<std::wstring> pathsAsked;
  bool startSucceeds = true;
  bool pathExists = true;

  bool PathExists(const std::wstring& path) override {
    pathsAsked.push_back(path);
    return pathExists;
  }
  ProcessStartResult StartProcess(const std::string& program, const std::string& cmdline) override {
    calls.push_back("start " + program + " | " + cmdline);
    ProcessStartResult result;
    result.started = startSucceeds;
    if (!startSucceeds) {
      result.error = 2;
      result.errorText = "not found";
    }
    return result;
  }
  void Report(const std::string& type) override { calls.push_back("report " + type); }
  void ReportLater(const std::string& type) override { calls.push_back("queue " + type); }
  void ShowWarningBox(const std::wstring& text, const std::wstring& caption) override {
    calls.push_back("box " + toUtf8(text) + " | " + toUtf8(caption));
  }
  void OpenInDefaultBrowser(const std::wstring& url) override { calls.push_back("open " + toUtf8(url)); }

  size_t count(const std::string& call) const {
    size_t n = 0;
    for (const std::string& c : calls) n += c == call ? 1 : 0;
    return n;
  }
};
