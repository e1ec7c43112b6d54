// A dialog built from a dialog template of the executable, run modally. On Windows the
// template is the resource script's DIALOGEX; on Linux the same description
// (resources/MainDialog.h, read through framework/DialogTemplate_linux.h), its dialog
// units laid out in pixels at 96 DPI.
#pragma once

#include <functional>
#include <memory>

#include "framework/CWnd.h"
#include "framework/UiThreadChannel.h"

class CDialogEx : public CWnd {
 public:
  explicit CDialogEx(unsigned nIDTemplate, CWnd* pParent = nullptr);
  ~CDialogEx() override;

  // Creates the dialog, runs it until it ends (EndDialog or DestroyWindow), returns the
  // EndDialog result (-1 when it could not be created, 0 when it was destroyed).
  intptr_t DoModal();
  void EndDialog(int nResult);

  // The channel through which other threads reach this window; valid until the
  // window is gone, a no-op after that. Null before DoModal has created the window.
  std::shared_ptr<UiThreadChannel> GetUiThreadChannel() const;

 protected:
  // Binds the controls (DoDataExchange); returns true to let the window system set the focus.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange*) {}
  // The default commands: Enter and Escape. Both end the dialog.
  virtual void OnOK();
  virtual void OnCancel();
  // Once, on the UI thread, when the dialog and its controls have first been painted on
  // the screen: for work that need not keep the window from appearing. Windows: a
  // message posted before the modal loop, which paints what is pending first; GTK: an
  // idle callback after the first frame.
  virtual void OnFirstPaintDone() {}

 private:
  unsigned m_nIDTemplate;
  intptr_t m_nResult = 0;  // DoModal's answer, set by EndDialog
  std::shared_ptr<UiThreadChannel> m_channel;

  friend struct DialogAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};
