#include "ui/BaseHtmlView.h"

#include <cwchar>

#include "Logger.h"
#include "PackageWorker.h"
#include "resources/MainDialog.h"
#include "Resources.h"
#include "StringTable.h"
#include "TextConvert.h"

namespace {

bool callAppLogin(CHtmlView& view, const std::wstring& argument) {
  return static_cast<CBaseHtmlView&>(view).AppLogin(argument);
}

// The script object: exactly one method, dispatch id 1.
constexpr CHtmlView::DispatchEntry kDispatchMap[] = {{L"AppLogin", &callAppLogin}};

// True for an http: or https: address, the only ones handed to the default browser.
bool IsWebUrl(const std::wstring& url) {
  const size_t colon = url.find(L':');
  if (colon == std::wstring::npos) return false;
  std::wstring scheme = url.substr(0, colon);
  for (wchar_t& c : scheme) c = static_cast<wchar_t>(std::towlower(c));
  return scheme == L"http" || scheme == L"https";
}

}  // namespace

CBaseHtmlView::CBaseHtmlView(const LaunchOptions& options, const DownloadConfig& config, WebViewSystem& system)
    : m_options(options), m_config(config), m_system(system) {}

CBaseHtmlView::~CBaseHtmlView() = default;

bool CBaseHtmlView::CreateFromPlaceholder(CWnd* pParent) {
  m_pOwner = pParent;
  // The page is exactly the resource's address: nothing of the command line goes to it.
  const std::wstring url = LoadResourceText(IDS_LOGIN_URL);
  std::wmemset(m_wszUrl, L'\0', std::size(m_wszUrl));
  url.copy(m_wszUrl, std::size(m_wszUrl) - 1);
  if (pParent == nullptr) return false;
  CWnd* placeholder = pParent->GetDlgItem(IDC_WEB_PLACEHOLDER);
  if (placeholder == nullptr) return false;
  placeholder->DestroyWindow();
  if (!Create(pParent, kLoginViewRect, IDC_WEB_PLACEHOLDER, true)) return false;
  OnInitialUpdate();
  SetSilent(true);
  return true;
}

void CBaseHtmlView::OnInitialUpdate() { Navigate2(m_wszUrl); }

bool CBaseHtmlView::OnGetExternal() { return true; }

std::span<const CHtmlView::DispatchEntry> CBaseHtmlView::GetDispatchMap() const { return kDispatchMap; }

CHtmlView* CBaseHtmlView::OnNewWindow2(bool&) {
  if (!m_pPopupView) {
    m_pPopupView = std::make_unique<CBaseHtmlView>(m_options, m_config, m_system);
    m_pPopupView->m_bOpenExternal = true;
    m_pPopupView->Create(this, kPopupViewRect, IDC_POPUP_VIEW, false);
  }
  return m_pPopupView.get();
}

void CBaseHtmlView::BeforeNavigate2(const std::wstring& url, bool& bCancel) {
  bCancel = false;
  if (!m_bOpenExternal) return;
  bCancel = true;
  // Only web addresses reach the shell: a page must not have it open files, programs or
  // other protocols.
  if (IsWebUrl(url))
    m_system.OpenInDefaultBrowser(url);
  else
    logLine(LOG_INFO, "popup url refused:", ToAnsi(url));
}

void CBaseHtmlView::OnDocumentComplete(const std::wstring&) {
  if (m_pOwner != nullptr) {
    m_pOwner->ShowWindow(ShowCmd::ShowNormal);
    m_pOwner->SetWindowPos(ZOrder::TopMost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
    m_pOwner->SetWindowPos(ZOrder::NoTopMost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
    m_pOwner->SetForegroundWindow();
  }
  // The window's thread never waits for the collector here.
  m_system.ReportLater("web_load");
}

bool CBaseHtmlView::AppLogin(const std::wstring& strToken) {
  return RunAppLogin(strToken, {m_config.m_strPath, m_options.m_nWinId, g_downloadFinished.load()}, *this, m_system);
}

void CBaseHtmlView::ReloadLoginPage() { Navigate(m_wszUrl); }

int32_t CBaseHtmlView::OwnerWindowNumber() const { return m_pOwner != nullptr ? WindowNumber(*m_pOwner) : 0; }

bool CBaseHtmlView::DestroyOwner() { return m_pOwner != nullptr && m_pOwner->DestroyWindow(); }
