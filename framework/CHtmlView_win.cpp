// The browser is the WebBrowser control (IWebBrowser2), in-place active in a child window
// of ours. One site object gives the control what it asks of its container (client site,
// in-place site and frame, the document host's UI handler with GetExternal); a sink takes
// its DWebBrowserEvents2; the view's script object answers window.external by name.
// The COM objects outlive the view when the control still holds them: each asks its view
// through a pointer that the view clears when it goes.
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleauto.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "framework/CHtmlView.h"
#include "framework/HtmlViewAccess.h"
#include "framework/HtmlViewNative_win.h"
#include "framework/WndNative_win.h"

namespace {

constexpr wchar_t kHostClass[] = L"KvrHtmlViewHost";

// COM interfaces have no virtual destructor by design: objects end through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Reference counting shared by the objects below.
template <typename Derived>
class RefCounted {
 public:
  ULONG addRef() { return ++m_refs; }
  ULONG release() {
    const ULONG left = --m_refs;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 private:
  std::atomic<ULONG> m_refs{1};
};

// IUnknown and the absent type information of the IDispatch objects below. Besides
// IUnknown and IDispatch, an object answers to `alias` (an event sink's dispatch interface).
template <typename Derived>
class DispatchObject : public IDispatch, public RefCounted<Derived> {
 public:
  explicit DispatchObject(const IID& alias = IID_IDispatch) : m_alias(alias) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_alias) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return this->addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return this->release(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

 private:
  const IID& m_alias;
};

// The text of a VARIANT argument, following by-reference variants as the control passes them.
std::wstring variantText(const VARIANT* value) {
  while (value != nullptr && V_VT(value) == (VT_VARIANT | VT_BYREF)) value = V_VARIANTREF(value);
  if (value == nullptr) return {};
  if (V_VT(value) == VT_BSTR && V_BSTR(value) != nullptr)
    return std::wstring(V_BSTR(value), SysStringLen(V_BSTR(value)));
  if (V_VT(value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(value) != nullptr && *V_BSTRREF(value) != nullptr)
    return std::wstring(*V_BSTRREF(value), SysStringLen(*V_BSTRREF(value)));
  return {};
}

// The view's script object, window.external: the dispatch map by name, ids by position.
class ExternalDispatch final : public DispatchObject<ExternalDispatch> {
 public:
  explicit ExternalDispatch(CHtmlView* view) : m_view(view) {}
  void detach() { m_view = nullptr; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    ids[0] = find(names[0]);
    if (ids[0] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    // Methods have no named parameters.
    if (count > 1) result = DISP_E_UNKNOWNNAME;
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                   UINT* argError) override {
    if (m_view == nullptr) return E_UNEXPECTED;
    const auto methods = HtmlViewAccess::dispatchMap(*m_view);
    if (id < 1 || static_cast<size_t>(id) > methods.size()) return DISP_E_MEMBERNOTFOUND;
    if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) {
      if (argError != nullptr) *argError = 0;
      return DISP_E_TYPEMISMATCH;
    }
    const std::wstring argument = variantText(&text);
    VariantClear(&text);
    // The method may destroy the windows; this object stays until the call has returned.
    AddRef();
    const bool answer = methods[static_cast<size_t>(id) - 1].method(*m_view, argument);
    Release();
    if (result != nullptr) {
      VariantInit(result);
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = answer ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
  }

 private:
  DISPID find(const wchar_t* name) const {
    if (m_view == nullptr || name == nullptr) return DISPID_UNKNOWN;
    const auto methods = HtmlViewAccess::dispatchMap(*m_view);
    for (size_t i = 0; i < methods.size(); ++i)
      if (lstrcmpiW(methods[i].name, name) == 0) return static_cast<DISPID>(i + 1);
    return DISPID_UNKNOWN;
  }

  CHtmlView* m_view;
};

// The DWebBrowserEvents2 sink: the three events the views handle.
class EventSink final : public DispatchObject<EventSink> {
 public:
  explicit EventSink(CHtmlView* view) : DispatchObject(DIID_DWebBrowserEvents2), m_view(view) {}
  void detach() { m_view = nullptr; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (m_view == nullptr || params == nullptr) return S_OK;
    // Arguments come last first: rgvarg[0] is the event's last parameter.
    VARIANT* args = params->rgvarg;
    const UINT count = params->cArgs;
    switch (id) {
      case DISPID_BEFORENAVIGATE2:
        // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
        if (count == 7 && V_VT(&args[0]) == (VT_BOOL | VT_BYREF) && V_BOOLREF(&args[0]) != nullptr) {
          bool bCancel = false;
          HtmlViewAccess::beforeNavigate(*m_view, variantText(&args[5]), bCancel);
          *V_BOOLREF(&args[0]) = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
        }
        break;
      case DISPID_NEWWINDOW2:
        // (ppDisp, Cancel)
        if (count == 2 && V_VT(&args[1]) == (VT_DISPATCH | VT_BYREF) && V_VT(&args[0]) == (VT_BOOL | VT_BYREF) &&
            V_DISPATCHREF(&args[1]) != nullptr && V_BOOLREF(&args[0]) != nullptr) {
          bool bCancel = *V_BOOLREF(&args[0]) != VARIANT_FALSE;
          CHtmlView* target = HtmlViewAccess::newWindow(*m_view, bCancel);
          IWebBrowser2* targetBrowser = target != nullptr ? GetNativeBrowser(*target) : nullptr;
          IDispatch* application = nullptr;
          if (targetBrowser != nullptr && SUCCEEDED(targetBrowser->get_Application(&application)))
            *V_DISPATCHREF(&args[1]) = application;  // the control releases it
          *V_BOOLREF(&args[0]) = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
        }
        break;
      case DISPID_DOCUMENTCOMPLETE:
        // (pDisp, URL)
        if (count == 2) HtmlViewAccess::documentComplete(*m_view, variantText(&args[0]));
        break;
      default: break;
    }
    return S_OK;
  }

 private:
  CHtmlView* m_view;
};

// The container's side of the control: client site, in-place site and frame, document host.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDocHostUIHandler,
                          public RefCounted<BrowserSite> {
 public:
  BrowserSite(CHtmlView* view, HWND host, ExternalDispatch* external)
      : m_view(view), m_host(host), m_external(external) {
    m_external->AddRef();
  }
  ~BrowserSite() { m_external->Release(); }
  void detach() { m_view = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
      *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDocHostUIHandler)
      *ppv = static_cast<IDocHostUIHandler*>(this);
    else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
    if (ppmk != nullptr) *ppmk = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override {
    if (ppContainer != nullptr) *ppContainer = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (for the in-place site and the frame alike)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = m_host;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                             LPRECT lprcPosRect, LPRECT lprcClipRect,
                                             LPOLEINPLACEFRAMEINFO lpFrameInfo) override {
    if (ppFrame != nullptr) {
      *ppFrame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (ppDoc != nullptr) *ppDoc = nullptr;
    RECT client{};
    GetClientRect(m_host, &client);
    if (lprcPosRect != nullptr) *lprcPosRect = client;
    if (lprcClipRect != nullptr) *lprcClipRect = client;
    if (lpFrameInfo != nullptr) {
      lpFrameInfo->fMDIApp = FALSE;
      lpFrameInfo->hwndFrame = GetAncestor(m_host, GA_ROOT);
      lpFrameInfo->haccel = nullptr;
      lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, tool space or status bar.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler (EnableModeless is shared with the frame): the control's own context
  // menu, border, scroll bars and keys; only window.external is ours.
  HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                   IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD) override {
    if (pchKey != nullptr) *pchKey = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) override {
    if (ppDropTarget != nullptr) *ppDropTarget = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override {
    if (ppDispatch == nullptr) return E_POINTER;
    *ppDispatch = nullptr;
    if (m_view == nullptr || !HtmlViewAccess::external(*m_view)) return E_NOTIMPL;
    *ppDispatch = m_external;
    m_external->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* ppchURLOut) override {
    if (ppchURLOut != nullptr) *ppchURLOut = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** ppDORet) override {
    if (ppDORet != nullptr) *ppDORet = nullptr;
    return S_FALSE;
  }

 private:
  CHtmlView* m_view;
  HWND m_host;
  ExternalDispatch* m_external;
};

#pragma GCC diagnostic pop

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
      IOleInPlaceActiveObject* active = nullptr;
      HRESULT translated = S_FALSE;
      if (SUCCEEDED(browser->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)))) {
        translated = active->TranslateAccelerator(msg);
        active->Release();
      }
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
  IOleObject* ole = nullptr;
  IWebBrowser2* browser = nullptr;
  BrowserSite* site = nullptr;
  EventSink* sink = nullptr;
  ExternalDispatch* external = nullptr;
  IConnectionPoint* events = nullptr;
  DWORD cookie = 0;

  explicit Impl(CHtmlView& owner) : view(owner) {}
  ~Impl() { teardown(); }

  void teardown() {
    if (host != nullptr) {
      RemovePropW(host, kViewProperty);
      host = nullptr;
      hostedViewRemoved();
    }
    if (events != nullptr) {
      events->Unadvise(cookie);
      events->Release();
      events = nullptr;
    }
    if (browser != nullptr) {
      browser->Release();
      browser = nullptr;
    }
    if (ole != nullptr) {
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
      ole->Release();
      ole = nullptr;
    }
    if (site != nullptr) {
      site->detach();
      site->Release();
      site = nullptr;
    }
    if (sink != nullptr) {
      sink->detach();
      sink->Release();
      sink = nullptr;
    }
    if (external != nullptr) {
      external->detach();
      external->Release();
      external = nullptr;
    }
  }
};

IWebBrowser2* GetNativeBrowser(const CHtmlView& view) { return HtmlViewAccess::impl(view).browser; }

IDispatch* GetBrowserEventSink(const CHtmlView& view) { return HtmlViewAccess::impl(view).sink; }

CHtmlView::CHtmlView() : m_impl(std::make_unique<Impl>(*this)) {}

CHtmlView::~CHtmlView() = default;

bool CHtmlView::Create(CWnd* pParent, const CRect& rect, int nID, bool bVisible) {
  if (pParent == nullptr || m_impl->ole != nullptr || !registerHostClass()) return false;
  HWND parent = GetNativeWindow(*pParent);
  if (parent == nullptr) return false;
  HWND host = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_CLIPCHILDREN | (bVisible ? WS_VISIBLE : 0), rect.left,
                              rect.top, rect.Width(), rect.Height(), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(nID)), GetModuleHandleW(nullptr), nullptr);
  if (host == nullptr) return false;

  Impl& impl = *m_impl;
  IOleObject* ole = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&ole)))) {
    ::DestroyWindow(host);
    return false;
  }
  impl.ole = ole;
  impl.external = new ExternalDispatch(this);
  impl.sink = new EventSink(this);
  impl.site = new BrowserSite(this, host, impl.external);
  AttachNativeWindow(*this, host);

  RECT client{0, 0, rect.Width(), rect.Height()};
  if (FAILED(ole->SetClientSite(static_cast<IOleClientSite*>(impl.site))) ||
      FAILED(
          ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(impl.site), 0, host, &client)) ||
      FAILED(ole->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&impl.browser)))) {
    impl.teardown();
    DestroyWindow();
    return false;
  }
  impl.host = host;
  SetPropW(host, kViewProperty, impl.browser);
  hostedViewAdded();
  IConnectionPointContainer* container = nullptr;
  if (SUCCEEDED(ole->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
    if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &impl.events)) &&
        FAILED(impl.events->Advise(static_cast<IDispatch*>(impl.sink), &impl.cookie))) {
      impl.events->Release();
      impl.events = nullptr;
    }
    container->Release();
  }
  return true;
}

void CHtmlView::Navigate2(const std::wstring& url) {
  if (m_impl->browser == nullptr) return;
  VARIANT target;
  VariantInit(&target);
  V_VT(&target) = VT_BSTR;
  V_BSTR(&target) = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  VARIANT empty;
  VariantInit(&empty);
  // The control calls BeforeNavigate2 inside this call: the hooks may run re-entrantly.
  IWebBrowser2* browser = m_impl->browser;
  browser->AddRef();
  browser->Navigate2(&target, &empty, &empty, &empty, &empty);
  browser->Release();
  VariantClear(&target);
}

void CHtmlView::Navigate(const std::wstring& url) {
  if (m_impl->browser == nullptr) return;
  BSTR target = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  VARIANT empty;
  VariantInit(&empty);
  IWebBrowser2* browser = m_impl->browser;
  browser->AddRef();
  browser->Navigate(target, &empty, &empty, &empty, &empty);
  browser->Release();
  SysFreeString(target);
}

void CHtmlView::SetSilent(bool bSilent) {
  if (m_impl->browser != nullptr) m_impl->browser->put_Silent(bSilent ? VARIANT_TRUE : VARIANT_FALSE);
}

bool CHtmlView::HasBrowser() const { return m_impl->browser != nullptr; }

void CHtmlView::OnDestroy() { m_impl->teardown(); }
