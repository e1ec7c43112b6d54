#include "ScriptBridge.h"

#include <filesystem>

#include "Base64.h"
#include "DownloadEngine.h"
#include "framework/MessageBox.h"
#include "GameCommand.h"
#include "Logger.h"
#include "TextConvert.h"
#include "Utf8.h"

namespace {

// wszExePath: "%s/kvr.exe" in a buffer of 1024 units, cut to 1023 as bounded formatting cuts.
std::wstring executablePathText(const std::string& strPath) {
  std::wstring wszExePath = FromAnsi(strPath) + L"/kvr.exe";
  if (wszExePath.size() > 1023) wszExePath.resize(1023);
  return wszExePath;
}

}  // namespace

WebViewSystem& WebViewSystem::instance() {
  static WebViewSystem system;
  return system;
}

bool WebViewSystem::PathExists(const std::wstring& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}

std::wstring WebViewSystem::AnsiToWide(std::string_view text) { return FromAnsi(text); }

void WebViewSystem::Report(const std::string& type) { DownloadEngine::instance().report(type); }

void WebViewSystem::ReportLater(const std::string& type) { DownloadEngine::instance().reportLater(type); }

void WebViewSystem::ShowWarningBox(const std::wstring& text, const std::wstring& caption) {
  AfxWarningBox(text, caption);
}

std::optional<std::string> MakeLoginToken(std::wstring_view argument, WebViewSystem& system) {
  const std::optional<std::string> oem = system.ToOem(argument);
  if (!oem) return std::nullopt;
  std::optional<std::string> decoded = Base64Decode(*oem);
  if (!decoded) return std::nullopt;
  // The decoded bytes are read as a zero-terminated text.
  decoded->resize(decoded->find('\0') == std::string::npos ? decoded->size() : decoded->find('\0'));
  if (decoded->empty()) return std::nullopt;
  return Base64Encode(toUtf8(system.AnsiToWide(*decoded)));
}

bool RunAppLogin(std::wstring_view argument, const AppLoginInputs& inputs, IAppLoginView& view, WebViewSystem& system) {
  const std::wstring wszExePath = executablePathText(inputs.strPath);
  // Until the package work has ended the file system is not asked: a package still being
  // extracted may already hold the executable.
  if (!inputs.bDownloadFinished || !system.PathExists(wszExePath)) {
    system.ShowWarningBox(kGameMissingText, kGameMissingCaption);
    view.ReloadLoginPage();
    logLine(LOG_INFO, "wszExePath:", ToAnsi(wszExePath));
    logLine(LOG_INFO, "AppLogin file does not exist paht");
    return false;
  }

  logLine(LOG_INFO, "AppLogin Start Game");
  // An empty or broken token would shift the game's fields: refuse the start.
  const std::optional<std::string> token = MakeLoginToken(argument, system);
  if (!token) {
    logLine(LOG_INFO, "AppLogin token refused, length:", argument.size());
    view.ReloadLoginPage();
    return false;
  }
  const std::optional<std::string> szCmdline =
      formatGameCommand(inputs.strPath, *token, inputs.nWinId, view.OwnerWindowNumber());
  if (!szCmdline) {
    logLine(LOG_INFO, "AppLogin cmdline refused, over 1023 characters");
    view.ReloadLoginPage();
    return false;
  }
  logLine(LOG_INFO, *szCmdline);

  // The program path goes in as the application name: an unquoted path with blanks must
  // not make the system try its shorter prefixes as programs.
  const ProcessStartResult start = system.StartProcess(gameExecutablePath(inputs.strPath), *szCmdline);
  if (!start.started) {
    logLine(LOG_INFO, "AppLogin start err:", start.error, " ", start.errorText);
    view.ReloadLoginPage();
    system.ShowWarningBox(kGameStartFailedText, kGameStartFailedCaption);
    return false;
  }
  system.Report("game_start");
  view.ReloadLoginPage();
  logLine(LOG_INFO, "AppLogin Start End");
  return view.DestroyOwner();
}
