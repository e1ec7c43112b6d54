#include "framework/FrameworkImpl_win.h"

#include "framework/CDialogEx.h"

namespace {

// Answers a dialog procedure gives through DWLP_MSGRESULT.
INT_PTR answer(HWND hWnd, LRESULT result) {
  SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace

// The dialog's messages, routed to its handlers. A handler that asks for the default
// (Default) leaves the message to the dialog manager.
INT_PTR CALLBACK dialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialogEx*>(lParam);
    attachWindow(*dialog, hWnd);
    WndAccess::impl(*dialog).isDialog = true;
    std::shared_ptr<UiThreadChannel>& channel = DialogAccess::channel(*dialog);
    channel = std::make_shared<UiThreadChannel>();
    bindChannel(*channel, hWnd);
    return DialogAccess::initDialog(*dialog) ? TRUE : FALSE;
  }
  auto* dialog = static_cast<CDialogEx*>(windowOf(hWnd));
  if (dialog == nullptr) return FALSE;
  CWnd::Impl& impl = WndAccess::impl(*dialog);
  const std::shared_ptr<UiThreadChannel>& channel = DialogAccess::channel(*dialog);
  impl.message = message;
  impl.wParam = wParam;
  impl.lParam = lParam;
  impl.wantDefault = false;
  switch (message) {
    case WM_COMMAND: {
      const int nID = LOWORD(wParam);
      const int nCode = HIWORD(wParam);
      if (nID == IDOK && (lParam == 0 || nCode == BN_CLICKED))
        DialogAccess::ok(*dialog);
      else if (nID == IDCANCEL && (lParam == 0 || nCode == BN_CLICKED))
        DialogAccess::cancel(*dialog);
      else
        WndAccess::command(*dialog, nID, nCode);
      return TRUE;
    }
    case WM_ERASEBKGND: {
      HdcDC dc(reinterpret_cast<HDC>(wParam));
      const bool erased = WndAccess::eraseBackground(*dialog, &dc);
      return impl.wantDefault ? FALSE : answer(hWnd, erased ? TRUE : FALSE);
    }
    case WM_NCHITTEST: {
      const POINTS point = MAKEPOINTS(lParam);
      const HitTest hit = WndAccess::hitTest(*dialog, {point.x, point.y});
      return impl.wantDefault ? FALSE : answer(hWnd, hit == HitTest::Caption ? HTCAPTION : HTCLIENT);
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORDLG: {
      HdcDC dc(reinterpret_cast<HDC>(wParam));
      CWnd* child = dialog->GetDlgItem(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      if (child == nullptr) return FALSE;
      const CtlColorBrush brush = WndAccess::ctlColor(*dialog, &dc, child);
      // WM_CTLCOLOR answers with the brush itself, not through DWLP_MSGRESULT.
      if (impl.wantDefault || brush == CtlColorBrush::Default) return FALSE;
      return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_COPYDATA: {
      const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      const std::span<const uint8_t> data(static_cast<const uint8_t*>(record->lpData), record->cbData);
      return answer(hWnd, WndAccess::copyData(*dialog, static_cast<uint32_t>(record->dwData), data) ? TRUE : FALSE);
    }
    case kRunOnUiThreadMessage:
      if (channel != nullptr) runSentTask(*channel, lParam);
      return answer(hWnd, 0);
    case kFirstPaintMessage:
      // Whatever paint is still pending (the dialog's, its controls') happens first.
      ::RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      DialogAccess::firstPaintDone(*dialog);
      return answer(hWnd, 0);
    case WM_DESTROY:
      if (channel != nullptr) channel->close();
      WndAccess::destroy(*dialog);
      return TRUE;
    case WM_NCDESTROY:
      RemovePropW(hWnd, L"KvrCWnd");
      impl.hWnd = nullptr;
      // Destroyed inside a sent message, the modal loop would sleep in GetMessageW until
      // some posted message came: wake it.
      PostMessageW(nullptr, WM_NULL, 0, 0);
      return TRUE;
    default: return FALSE;
  }
}

intptr_t CDialogEx::DoModal() {
  Impl& impl = WndAccess::impl(*this);
  if (impl.hWnd != nullptr) return -1;
  m_nResult = 0;
  // Our own modal loop over a modeless dialog, as the framework runs it: the loop ends
  // when the window is gone, however it went (EndDialog, DestroyWindow).
  const HWND hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), nullptr, dialogProc,
                                       reinterpret_cast<LPARAM>(this));
  if (hWnd == nullptr) return -1;
  if (impl.hWnd != nullptr && (GetWindowLongW(hWnd, GWL_STYLE) & WS_VISIBLE) == 0) ::ShowWindow(hWnd, SW_SHOWNORMAL);
  if (impl.hWnd != nullptr) PostMessageW(hWnd, kFirstPaintMessage, 0, 0);
  MSG msg;
  while (impl.hWnd != nullptr) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // A quit request is for the loop outside this one.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(hWnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  DestroyWindow();
  return m_nResult;
}
