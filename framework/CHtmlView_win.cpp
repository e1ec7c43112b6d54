// The browser is the WebBrowser control (IWebBrowser2), in-place active in a child window
// of ours, with the site, event sink and script object of framework/BrowserSite_win.h.
#include <exdisp.h>
#include <ocidl.h>
#include <oleauto.h>
#include <windows.h>

#include <string>

#include "framework/BrowserSite_win.h"
#include "framework/CHtmlView.h"
#include "framework/FrameworkImpl_win.h"
#include "framework/HtmlViewNative_win.h"
#include "framework/WndNative_win.h"
#include "util/Scoped_win.h"

namespace {

constexpr wchar_t kHostClass[] = L"KvrHtmlViewHost";

constexpr wchar_t kViewProperty[] = L"KvrHtmlView";

// Keys typed into a page belong to the browser. The dialog's modal loop hands every
// message to IsDialogMessage, which would make Enter in the page's form the dialog's OK and
// Tab leave the page; so, while views exist, a message hook of the UI thread gives the
// control its accelerators first and dispatches every other key for it directly.
HHOOK g_keyHook = nullptr;
int g_hostedViews = 0;

// The control of the view whose window holds `hWnd`, if any.
IWebBrowser2* browserHolding(HWND hWnd) {
  for (; hWnd != nullptr; hWnd = GetAncestor(hWnd, GA_PARENT))
    if (auto* browser = static_cast<IWebBrowser2*>(GetPropW(hWnd, kViewProperty))) return browser;
  return nullptr;
}

LRESULT CALLBACK keyHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    if (IWebBrowser2* browser = browserHolding(msg->hwnd)) {
      ComPtr<IOleInPlaceActiveObject> active;
      HRESULT translated = S_FALSE;
      if (SUCCEEDED(browser->QueryInterface(IID_IOleInPlaceActiveObject, active.putVoid())))
        translated = active->TranslateAccelerator(msg);
      if (translated != S_OK) {
        TranslateMessage(msg);
        DispatchMessageW(msg);
      }
      msg->message = WM_NULL;  // handled: the loop's own dispatch does nothing
    }
  }
  return CallNextHookEx(g_keyHook, code, wParam, lParam);
}

void hostedViewAdded() {
  if (g_hostedViews++ == 0) g_keyHook = SetWindowsHookExW(WH_GETMESSAGE, keyHook, nullptr, GetCurrentThreadId());
}

void hostedViewRemoved() {
  if (--g_hostedViews == 0 && g_keyHook != nullptr) {
    UnhookWindowsHookEx(g_keyHook);
    g_keyHook = nullptr;
  }
}

bool registerHostClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHostClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

struct CHtmlView::Impl {
  CHtmlView& view;
  HWND host = nullptr;
  ComPtr<IOleObject> ole;
  ComPtr<IWebBrowser2> browser;
  ComPtr<BrowserSite> site;
  ComPtr<EventSink> sink;
  ComPtr<ExternalDispatch> external;
  ComPtr<IConnectionPoint> events;
  DWORD cookie = 0;

  explicit Impl(CHtmlView& owner) : view(owner) {}
  ~Impl() { teardown(); }

  // In this order: the control lets go of the site before our objects forget the view.
  void teardown() {
    if (host != nullptr) {
      RemovePropW(host, kViewProperty);
      host = nullptr;
      hostedViewRemoved();
    }
    if (events) events->Unadvise(cookie);
    events.reset();
    browser.reset();
    if (ole) {
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
    }
    ole.reset();
    if (site) site->detach();
    site.reset();
    if (sink) sink->detach();
    sink.reset();
    if (external) external->detach();
    external.reset();
  }
};

IWebBrowser2* GetNativeBrowser(const CHtmlView& view) { return HtmlViewAccess::impl(view).browser.get(); }

IDispatch* GetBrowserEventSink(const CHtmlView& view) { return HtmlViewAccess::impl(view).sink.get(); }

CHtmlView::CHtmlView() : m_impl(std::make_unique<Impl>(*this)) {}

CHtmlView::~CHtmlView() = default;

bool CHtmlView::Create(CWnd* pParent, const CRect& rect, int nID, bool bVisible) {
  if (pParent == nullptr || m_impl->ole || !registerHostClass()) return false;
  HWND parent = GetNativeWindow(*pParent);
  if (parent == nullptr) return false;
  HWND host = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_CLIPCHILDREN | (bVisible ? WS_VISIBLE : 0), rect.left,
                              rect.top, rect.Width(), rect.Height(), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(nID)), GetModuleHandleW(nullptr), nullptr);
  if (host == nullptr) return false;

  Impl& impl = *m_impl;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, impl.ole.putVoid()))) {
    ::DestroyWindow(host);
    return false;
  }
  IOleObject* ole = impl.ole.get();
  impl.external = ComPtr<ExternalDispatch>(new ExternalDispatch(this));
  impl.sink = ComPtr<EventSink>(new EventSink(this));
  impl.site = ComPtr<BrowserSite>(new BrowserSite(this, host, impl.external.get()));
  AttachNativeWindow(*this, host);

  RECT client{0, 0, rect.Width(), rect.Height()};
  IOleClientSite* site = impl.site.get();
  if (FAILED(ole->SetClientSite(site)) ||
      FAILED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, host, &client)) ||
      FAILED(ole->QueryInterface(IID_IWebBrowser2, impl.browser.putVoid()))) {
    impl.teardown();
    DestroyWindow();
    return false;
  }
  impl.host = host;
  SetPropW(host, kViewProperty, impl.browser.get());
  hostedViewAdded();
  ComPtr<IConnectionPointContainer> container;
  if (SUCCEEDED(ole->QueryInterface(IID_IConnectionPointContainer, container.putVoid())) &&
      SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, impl.events.put())) &&
      FAILED(impl.events->Advise(static_cast<IDispatch*>(impl.sink.get()), &impl.cookie)))
    impl.events.reset();
  return true;
}

void CHtmlView::Navigate2(const std::wstring& url) {
  if (!m_impl->browser) return;
  VARIANT target;
  VariantInit(&target);
  V_VT(&target) = VT_BSTR;
  V_BSTR(&target) = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  VARIANT empty;
  VariantInit(&empty);
  // The control calls BeforeNavigate2 inside this call: the hooks may run re-entrantly.
  const ComPtr<IWebBrowser2> browser = ComPtr<IWebBrowser2>::retain(m_impl->browser.get());
  browser->Navigate2(&target, &empty, &empty, &empty, &empty);
  VariantClear(&target);
}

void CHtmlView::Navigate(const std::wstring& url) {
  if (!m_impl->browser) return;
  BSTR target = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  VARIANT empty;
  VariantInit(&empty);
  const ComPtr<IWebBrowser2> browser = ComPtr<IWebBrowser2>::retain(m_impl->browser.get());
  browser->Navigate(target, &empty, &empty, &empty, &empty);
  SysFreeString(target);
}

void CHtmlView::SetSilent(bool bSilent) {
  if (m_impl->browser) m_impl->browser->put_Silent(bSilent ? VARIANT_TRUE : VARIANT_FALSE);
}

bool CHtmlView::HasBrowser() const { return static_cast<bool>(m_impl->browser); }

void CHtmlView::OnDestroy() { m_impl->teardown(); }
