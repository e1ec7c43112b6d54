// An embedded web browser in a child window: the WebBrowser control on Windows, a
// WebKitGTK view on Linux. The browser's events reach the virtual hooks below, always on
// the UI thread; a derived view overrides the ones it needs, as with the framework's own
// HTML view.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "framework/CWnd.h"

class CHtmlView : public CWnd {
 public:
  CHtmlView();
  ~CHtmlView() override;

  // One method of the view's script object (window.external): it takes one string and
  // answers a boolean. Dispatch ids follow the position in the map, from 1.
  struct DispatchEntry {
    const wchar_t* name;
    bool (*method)(CHtmlView& view, const std::wstring& argument);
  };

  // Creates the browser as child `nID` of `pParent` at `rect` (the parent's client pixels),
  // shown when `bVisible`. A parent that is itself a view keeps the new one hidden inside it.
  // False when the browser cannot be made.
  bool Create(CWnd* pParent, const CRect& rect, int nID, bool bVisible);
  // Starts loading `url`: no flags, target frame, headers or post data.
  void Navigate2(const std::wstring& url);
  void Navigate(const std::wstring& url);
  // A silent browser shows no dialog of its own: no script error, alert, confirm or prompt.
  void SetSilent(bool bSilent);
  // True once Create has made the browser.
  bool HasBrowser() const;

 protected:
  // Called by the owner right after Create.
  virtual void OnInitialUpdate() {}
  // True to serve the view's script object (GetDispatchMap) as window.external.
  virtual bool OnGetExternal() { return false; }
  virtual std::span<const DispatchEntry> GetDispatchMap() const { return {}; }
  // The page asked for a new window: answers the view whose browser takes the request, or
  // null to leave it to the browser. Setting `bCancel` refuses it.
  virtual CHtmlView* OnNewWindow2(bool& bCancel);
  // A navigation of the page or of a frame in it is about to start; `bCancel` stops it.
  virtual void BeforeNavigate2(const std::wstring& url, bool& bCancel);
  // A document has finished loading: the page, and each frame in it.
  virtual void OnDocumentComplete(const std::wstring& url);
  // Teardown of the browser with the window.
  void OnDestroy() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;

  friend struct HtmlViewAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};
