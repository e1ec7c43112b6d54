#include "framework/CDialogEx.h"

CDialogEx::CDialogEx(unsigned nIDTemplate, CWnd*) : m_nIDTemplate(nIDTemplate) {}

CDialogEx::~CDialogEx() { DestroyWindow(); }

std::shared_ptr<UiThreadChannel> CDialogEx::GetUiThreadChannel() const { return m_channel; }

bool CDialogEx::OnInitDialog() {
  CDataExchange exchange(this);
  DoDataExchange(&exchange);
  return true;
}

void CDialogEx::EndDialog(int nResult) {
  m_nResult = nResult;
  DestroyWindow();
}

void CDialogEx::OnOK() { EndDialog(kIdOk); }

void CDialogEx::OnCancel() { EndDialog(kIdCancel); }
