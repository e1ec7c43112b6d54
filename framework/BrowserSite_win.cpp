#include "framework/BrowserSite_win.h"

#include "framework/FrameworkImpl_win.h"

#include <exdispid.h>
#include <oleauto.h>

#include <string>

#include "framework/HtmlViewNative_win.h"

namespace {

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

}  // namespace

HRESULT STDMETHODCALLTYPE ExternalDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  ids[0] = find(names[0]);
  if (ids[0] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  // Methods have no named parameters.
  if (count > 1) result = DISP_E_UNKNOWNNAME;
  return result;
}

HRESULT STDMETHODCALLTYPE ExternalDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                                   VARIANT* result, EXCEPINFO*, UINT* argError) {
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
  const ComPtr<ExternalDispatch> self = ComPtr<ExternalDispatch>::retain(this);
  const bool answer = methods[static_cast<size_t>(id) - 1].method(*m_view, argument);
  if (result != nullptr) {
    VariantInit(result);
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = answer ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

DISPID ExternalDispatch::find(const wchar_t* name) const {
  if (m_view == nullptr || name == nullptr) return DISPID_UNKNOWN;
  const auto methods = HtmlViewAccess::dispatchMap(*m_view);
  for (size_t i = 0; i < methods.size(); ++i)
    if (lstrcmpiW(methods[i].name, name) == 0) return static_cast<DISPID>(i + 1);
  return DISPID_UNKNOWN;
}

HRESULT STDMETHODCALLTYPE EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                            UINT*) {
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

HRESULT STDMETHODCALLTYPE BrowserSite::QueryInterface(REFIID riid, void** ppv) {
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

HRESULT STDMETHODCALLTYPE BrowserSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                                        LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                        LPOLEINPLACEFRAMEINFO lpFrameInfo) {
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

HRESULT STDMETHODCALLTYPE BrowserSite::GetExternal(IDispatch** ppDispatch) {
  if (ppDispatch == nullptr) return E_POINTER;
  *ppDispatch = nullptr;
  if (m_view == nullptr || !HtmlViewAccess::external(*m_view)) return E_NOTIMPL;
  *ppDispatch = m_external.get();
  m_external->AddRef();
  return S_OK;
}
