#include "framework/FrameworkImpl_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <vector>

#include "framework/CDC.h"
#include "framework/CImage.h"

namespace {

std::unique_ptr<CDC::Impl> contextOf(HDC hdc) {
  auto impl = std::make_unique<CDC::Impl>();
  impl->hdc = hdc;
  return impl;
}

}  // namespace

HdcDC::HdcDC(HDC hdc) : CDC(contextOf(hdc)) {}

CDC::CDC(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CDC::~CDC() = default;

void CDC::FillRect(const CRect& rect, ColorRef colour) {
  const HBRUSH brush = CreateSolidBrush(colour);
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(m_impl->hdc, &area, brush);
  DeleteObject(brush);
}

bool CDC::AlphaBlend(int x, int y, int width, int height, const CImage& source, int sx, int sy, int sWidth, int sHeight,
                     uint8_t constantAlpha, bool sourceAlpha) {
  if (source.IsNull()) return false;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, static_cast<BYTE>(sourceAlpha ? AC_SRC_ALPHA : 0)};
  return ::AlphaBlend(m_impl->hdc, x, y, width, height, ImageAccess::impl(source).dc(), sx, sy, sWidth, sHeight,
                      blend) != FALSE;
}

void CDC::DrawPicture(const CPicture& picture, int width, int height) {
  Gdiplus::Bitmap* bitmap = PictureAccess::impl(picture).bitmap;
  if (bitmap == nullptr) return;
  Gdiplus::Graphics graphics(m_impl->hdc);
  const Gdiplus::Point points[3] = {{0, 0}, {width, 0}, {0, height}};
  graphics.DrawImage(bitmap, points, 3);
}

void CDC::SetBkModeTransparent(bool transparent) { SetBkMode(m_impl->hdc, transparent ? TRANSPARENT : OPAQUE); }

void CDC::SetTextColor(ColorRef colour) { ::SetTextColor(m_impl->hdc, colour); }

void CDC::DrawText(const std::wstring& text, const CRect& rect, ColorRef colour, int pixelHeight) {
  // The dialogs' face: a Chinese system links it to its Chinese fonts.
  const HFONT font =
      CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg 2");
  const HDC hdc = m_impl->hdc;
  const HGDIOBJ previousFont = SelectObject(hdc, font);
  const int previousMode = SetBkMode(hdc, TRANSPARENT);
  const COLORREF previousColour = ::SetTextColor(hdc, colour);
  RECT area{rect.left, rect.top, rect.right, rect.bottom};
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SetTextColor(hdc, previousColour);
  SetBkMode(hdc, previousMode);
  SelectObject(hdc, previousFont);
  DeleteObject(font);
}

CPaintDC::CPaintDC(CWnd* pWnd) : CDC(contextOf(nullptr)), m_pWnd(pWnd) {
  m_impl->hdc = BeginPaint(WndAccess::impl(*pWnd).hWnd, &m_impl->paint);
}

CPaintDC::~CPaintDC() { EndPaint(WndAccess::impl(*m_pWnd).hWnd, &m_impl->paint); }

CImageDC::CImageDC(CImage& image) : CDC(contextOf(ImageAccess::impl(image).dc())) {}

CImageDC::~CImageDC() { GdiFlush(); }

void CRgn::ImplDeleter::operator()(Impl* impl) const {
  if (impl->region != nullptr) DeleteObject(impl->region);
  delete impl;
}

bool CRgn::CreateFromRects(std::span<const CRect> rects) {
  // One RGNDATA holding every rectangle, made into a region by one call.
  std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  RECT bounds{0, 0, 0, 0};
  auto* out = reinterpret_cast<RECT*>(data->Buffer);
  for (size_t i = 0; i < rects.size(); ++i) {
    out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
    if (i == 0) bounds = out[i];
    bounds.left = std::min(bounds.left, out[i].left);
    bounds.top = std::min(bounds.top, out[i].top);
    bounds.right = std::max(bounds.right, out[i].right);
    bounds.bottom = std::max(bounds.bottom, out[i].bottom);
  }
  data->rdh.rcBound = bounds;
  m_impl.reset();
  const HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
  if (region != nullptr) m_impl.reset(new Impl{region});
  return m_impl != nullptr;
}
