#include "framework/CHtmlView.h"

// The default hooks: the browser goes its own way.
CHtmlView* CHtmlView::OnNewWindow2(bool&) { return nullptr; }

void CHtmlView::BeforeNavigate2(const std::wstring&, bool&) {}

void CHtmlView::OnDocumentComplete(const std::wstring&) {}
