#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "UiPlatform.h"
#include "util/Scoped_win.h"

namespace {

// COM interfaces have no virtual destructor by design: objects end through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The thread's message filter. With the busy and not-responding dialogs both
// unable to appear, incoming calls are always handled, rejected calls are retried
// shortly, and pending messages get default processing.
class OleMessageFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
      *object = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the process: no reference counting needed.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    // The busy reply (SERVERCALL_RETRYLATER) applies only while the application
    // declares itself busy, which the launcher never does.
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD rejectType) override {
    return rejectType == SERVERCALL_REJECTED ? static_cast<DWORD>(-1) : kRetryDelayMs;
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

 private:
  static constexpr DWORD kRetryDelayMs = 10;
};

#pragma GCC diagnostic pop

OleMessageFilter g_messageFilter;

}  // namespace

void initOle() { OleInitialize(nullptr); }

void initCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);
}

void installOleMessageFilter() {
  ComPtr<IMessageFilter> previous;
  CoRegisterMessageFilter(&g_messageFilter, previous.put());
}

uintptr_t startGraphics() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  return token;
}

void stopGraphics(uintptr_t token) {
  if (token != 0) Gdiplus::GdiplusShutdown(token);
}
