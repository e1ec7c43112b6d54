// The script bridge: what the login page's window.external.AppLogin(text) does. It
// starts the installed game with the page's token on the game's command line, reports
// "game_start" and destroys the launcher's window; a missing game gets a box instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr wchar_t kGameMissingText[] = L"游戏正在下载";
inline constexpr wchar_t kGameMissingCaption[] = L"来自网页的消息";
inline constexpr wchar_t kGameStartFailedText[] = L"游戏启动失败，请重新打开";
inline constexpr wchar_t kGameStartFailedCaption[] = L"提示";

// What AppLogin reads of the application.
struct AppLoginInputs {
  std::string strPath;  // the configuration's "path": the game's folder (narrow text)
  int32_t nWinId = 0;   // --winid
  bool bDownloadFinished = false;
};

// The view that serves the call.
class IAppLoginView {
 public:
  virtual ~IAppLoginView() = default;
  // Starts loading the login page again.
  virtual void ReloadLoginPage() = 0;
  // The owner window's handle as a 32-bit number; 0 without owner.
  virtual int32_t OwnerWindowNumber() const = 0;
  // Destroys the owner window; true when it was destroyed.
  virtual bool DestroyOwner() = 0;
};

struct ProcessStartResult {
  bool started = false;
  uint32_t error = 0;     // the system's error code when not started
  std::string errorText;  // its message
};

// The system calls behind the login view and AppLogin. Tests derive and replace single ones.
class WebViewSystem {
 public:
  virtual ~WebViewSystem() = default;
  // The one the launcher uses.
  static WebViewSystem& instance();
  // Any file or folder of that name.
  virtual bool PathExists(const std::wstring& path);
  // The OEM code page's form (UTF-8 on Linux); nothing when not every character maps.
  virtual std::optional<std::string> ToOem(std::wstring_view text);
  // Narrow text of the thread's ANSI code page (UTF-8 on Linux) as wide text.
  virtual std::wstring AnsiToWide(std::string_view text);
  // Starts `program` with the command line `cmdline` (its first field names the program
  // again), not inherited handles, the launcher's environment and current folder, no
  // shell; does not wait.
  virtual ProcessStartResult StartProcess(const std::string& program, const std::string& cmdline);
  // An event report, waited for until the collector has answered it (at most 1 s of a
  // collector that does not answer).
  virtual void Report(const std::string& type);
  // An event report queued behind the earlier ones; returns at once.
  virtual void ReportLater(const std::string& type);
  // An ownerless warning box with an OK button; returns when it has been dismissed.
  virtual void ShowWarningBox(const std::wstring& text, const std::wstring& caption);
  // Shows `url` in the user's default browser; the outcome is not examined.
  virtual void OpenInDefaultBrowser(const std::wstring& url);
};

// The game's login token from the page's argument: OEM form, Base64-decoded and cut at
// its first zero byte, read in the ANSI code page, written as UTF-8 and Base64-encoded
// again. Nothing when the argument does not decode or decodes to an empty text.
std::optional<std::string> MakeLoginToken(std::wstring_view argument, WebViewSystem& system);

// The whole call; true when the game was started and the owner destroyed.
bool RunAppLogin(std::wstring_view argument, const AppLoginInputs& inputs, IAppLoginView& view, WebViewSystem& system);
