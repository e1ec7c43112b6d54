#include "framework/CWnd.h"

void CWnd::OnCommand(int, int) {}

bool CWnd::OnCopyData(uint32_t, std::span<const uint8_t>) { return false; }

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) { rControl.SubclassDlgItem(nIDC, pDX->m_pDlgWnd); }
