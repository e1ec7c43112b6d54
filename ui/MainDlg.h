// The launcher's only window: a borderless dialog shaped by its background picture, with
// minimise and close buttons, a status label, a progress bar and the login page. It
// installs a missing game through the package worker.
#pragma once

#include <future>
#include <memory>

#include "app/LaunchOptions.h"
#include "delivery/CfgCheck.h"
#include "delivery/GamePlan.h"
#include "framework/CDialogEx.h"
#include "framework/CImage.h"
#include "ui/BaseHtmlView.h"
#include "ui/PicButton.h"
#include "ui/WindowArt.h"

class MainDlgThreadUi;

class MainDlg : public CDialogEx {
 public:
  // The background comes decoded or on its way (decodeWindowArtAside).
  MainDlg(const LaunchOptions& options, const DownloadConfig& config,
          std::future<WindowArt> art = decodeWindowArtAside());
  ~MainDlg() override;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  void OnCancel() override;
  bool OnEraseBkgnd(CDC* pDC) override;
  HitTest OnNcHitTest(CPoint point) override;
  CtlColorBrush OnCtlColor(CDC* pDC, CWnd* pWnd) override;
  void OnCommand(int nID, int nCode) override;
  bool OnCopyData(uint32_t dwData, std::span<const uint8_t> data) override;
  void OnFirstPaintDone() override;

 private:
  // The close button: while the package downloads a question (yes stops the transfer),
  // refused while the rest of the package work runs; else the window goes and the channel
  // client is told.
  void OnClose();
  void StartPackageWork(GamePlan plan);
  // The download's share, speed and time left under the bar's end (empty: none).
  void SetProgressText(const std::wstring& text);

  const LaunchOptions& m_options;
  const DownloadConfig& m_config;
  std::future<WindowArt> m_art;  // taken by OnInitDialog
  CBaseHtmlView m_htmlView;
  CPicButton m_btnClose;
  CPicButton m_btnMin;
  CProgress m_progress;
  CStatic m_statusText;
  std::unique_ptr<CPicture> m_bgBitmap;
  std::wstring m_progressText;  // drawn with the background

  friend class MainDlgThreadUi;  // sets the progress text
};

// Runs the main dialog modally; returns when it has ended.
void runMainDialog(const LaunchOptions& options, const DownloadConfig& config, std::future<WindowArt> art);
