// The login view: the embedded browser that takes the place of the main dialog's
// placeholder, loads the login page, serves window.external.AppLogin, hands every
// new-window request to the user's default browser, and raises its owner each time a
// document has loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "app/LaunchOptions.h"
#include "delivery/CfgCheck.h"
#include "framework/CHtmlView.h"
#include "ui/ScriptBridge.h"

inline constexpr int IDC_POPUP_VIEW = 10000;
// Where the view sits in its owner's client area: 589 × 483 pixels.
inline constexpr CRect kLoginViewRect{524, 140, 1113, 623};
inline constexpr CRect kPopupViewRect{0, 0, 100, 200};

class CBaseHtmlView : public CHtmlView, private IAppLoginView {
 public:
  // `options` and `config` are the application's: AppLogin reads the window id and the
  // game folder from them when it is called.
  CBaseHtmlView(const LaunchOptions& options, const DownloadConfig& config,
                WebViewSystem& system = WebViewSystem::instance());
  ~CBaseHtmlView() override;

  // Takes the place of `pParent`'s placeholder 1009 and starts loading the login page
  // (string 148). False, and no browser, when there is no placeholder or the browser
  // cannot be made.
  bool CreateFromPlaceholder(CWnd* pParent);

  // window.external.AppLogin: starts the game (see ScriptBridge.h).
  bool AppLogin(const std::wstring& strToken);

  wchar_t m_wszUrl[1024] = {};
  CWnd* m_pOwner = nullptr;      // null in the popup view
  bool m_bOpenExternal = false;  // the popup view: every navigation goes to the default browser
  // The hidden popup view, made on the first new-window request; it lives as long as
  // this view (the view objects are never deleted with their windows).
  std::unique_ptr<CBaseHtmlView> m_pPopupView;

 protected:
  void OnInitialUpdate() override;
  bool OnGetExternal() override;
  std::span<const DispatchEntry> GetDispatchMap() const override;
  CHtmlView* OnNewWindow2(bool& bCancel) override;
  void BeforeNavigate2(const std::wstring& url, bool& bCancel) override;
  void OnDocumentComplete(const std::wstring& url) override;

 private:
  void ReloadLoginPage() override;
  int32_t OwnerWindowNumber() const override;
  bool DestroyOwner() override;

  const LaunchOptions& m_options;
  const DownloadConfig& m_config;
  WebViewSystem& m_system;
};

// The 32 bits of a top-level window's handle (an HWND; an X11 window id on Linux), as
// the game's command line carries it; 0 when the window has none.
int32_t WindowNumber(const CWnd& wnd);
