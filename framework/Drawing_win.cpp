#include "framework/WndImpl_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/CDC.h"
#include "framework/CImage.h"
#include "framework/WndImpl_win.h"
#include "util/Scoped_win.h"

namespace {

std::unique_ptr<CDC::Impl> contextOf(HDC hdc) {
  auto impl = std::make_unique<CDC::Impl>();
  impl->hdc = hdc;
  return impl;
}

// A stream over a copy of the bytes in movable global memory, freed with the stream.
ComPtr<IStream> streamOver(std::span<const unsigned char> bytes) {
  ComPtr<IStream> stream;
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
  if (memory == nullptr) return stream;
  void* target = GlobalLock(memory);
  if (target != nullptr) std::memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  if (target == nullptr || FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.put()))) GlobalFree(memory);
  return stream;
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
  return ::AlphaBlend(m_impl->hdc, x, y, width, height, source.impl().dc(), sx, sy, sWidth, sHeight, blend) != FALSE;
}

void CDC::DrawPicture(const CPicture& picture, int width, int height) {
  Gdiplus::Bitmap* bitmap = picture.impl().bitmap;
  if (bitmap == nullptr) return;
  Gdiplus::Graphics graphics(m_impl->hdc);
  const Gdiplus::Point points[3] = {{0, 0}, {width, 0}, {0, height}};
  graphics.DrawImage(bitmap, points, 3);
}

void CDC::SetBkModeTransparent(bool transparent) { SetBkMode(m_impl->hdc, transparent ? TRANSPARENT : OPAQUE); }

void CDC::SetTextColor(ColorRef colour) { ::SetTextColor(m_impl->hdc, colour); }

CPaintDC::CPaintDC(CWnd* pWnd) : CDC(contextOf(nullptr)), m_pWnd(pWnd) {
  m_impl->hdc = BeginPaint(WndAccess::impl(*pWnd).hWnd, &m_impl->paint);
}

CPaintDC::~CPaintDC() { EndPaint(WndAccess::impl(*m_pWnd).hWnd, &m_impl->paint); }

CImageDC::CImageDC(CImage& image) : CDC(contextOf(image.impl().dc())) {}

CImageDC::~CImageDC() { GdiFlush(); }

HDC CImage::Impl::dc() {
  if (memoryDC == nullptr && bitmap != nullptr) {
    memoryDC = CreateCompatibleDC(nullptr);
    previous = SelectObject(memoryDC, bitmap);
  }
  return memoryDC;
}

CImage::CImage() : m_impl(std::make_unique<Impl>()) {}

CImage::~CImage() { Destroy(); }

bool CImage::Create(int nWidth, int nHeight, int nBPP, bool bAlpha) {
  Destroy();
  if (nWidth <= 0 || nHeight <= 0 || (nBPP != 32 && nBPP != 24)) return false;
  // Bottom-up rows, as the framework's image makes them: the pitch is negative.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = nWidth;
  info.bmiHeader.biHeight = nHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(nBPP);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return false;
  const int stride = (nWidth * (nBPP / 8) + 3) / 4 * 4;
  m_impl->bitmap = bitmap;
  m_impl->top = static_cast<uint8_t*>(bits) + static_cast<ptrdiff_t>(nHeight - 1) * stride;
  m_impl->width = nWidth;
  m_impl->height = nHeight;
  m_impl->bpp = nBPP;
  m_impl->pitch = -stride;
  m_impl->alpha = bAlpha && nBPP == 32;
  return true;
}

bool CImage::Load(std::span<const unsigned char> encoded) {
  Destroy();
  ComPtr<IStream> stream = streamOver(encoded);
  if (!stream) return false;
  Gdiplus::Bitmap* decoded = Gdiplus::Bitmap::FromStream(stream.get());
  stream.reset();
  bool loaded = false;
  if (decoded != nullptr && decoded->GetLastStatus() == Gdiplus::Ok) {
    const bool alpha = Gdiplus::IsAlphaPixelFormat(decoded->GetPixelFormat()) != FALSE;
    const int width = static_cast<int>(decoded->GetWidth());
    const int height = static_cast<int>(decoded->GetHeight());
    if (Create(width, height, alpha ? 32 : 24, alpha)) {
      // The decoder writes straight into the image's rows (bottom-up: a negative stride).
      Gdiplus::BitmapData data{};
      data.Width = static_cast<UINT>(width);
      data.Height = static_cast<UINT>(height);
      data.Stride = GetPitch();
      data.PixelFormat = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
      data.Scan0 = GetBits();
      Gdiplus::Rect area(0, 0, width, height);
      loaded = decoded->LockBits(&area, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                 data.PixelFormat, &data) == Gdiplus::Ok;
      if (loaded) decoded->UnlockBits(&data);
      if (!loaded) Destroy();
    }
  }
  delete decoded;
  return loaded;
}

void CImage::Destroy() {
  if (m_impl->memoryDC != nullptr) {
    SelectObject(m_impl->memoryDC, m_impl->previous);
    DeleteDC(m_impl->memoryDC);
  }
  if (m_impl->bitmap != nullptr) DeleteObject(m_impl->bitmap);
  *m_impl = Impl{};
}

bool CImage::IsNull() const { return m_impl->bitmap == nullptr; }
int CImage::GetWidth() const { return m_impl->width; }
int CImage::GetHeight() const { return m_impl->height; }
int CImage::GetBPP() const { return m_impl->bpp; }
int CImage::GetPitch() const { return m_impl->pitch; }
uint8_t* CImage::GetBits() { return m_impl->top; }
const uint8_t* CImage::GetBits() const { return m_impl->top; }
bool CImage::HasAlphaChannel() const { return m_impl->alpha; }

CPicture::CPicture() : m_impl(std::make_unique<Impl>()) {}

CPicture::~CPicture() { delete m_impl->bitmap; }

std::unique_ptr<CPicture> CPicture::FromBytes(std::span<const unsigned char> encoded) {
  if (encoded.empty()) return nullptr;
  const ComPtr<IStream> stream = streamOver(encoded);
  if (!stream) return nullptr;
  // The bitmap keeps its own reference to the stream.
  Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromStream(stream.get());
  if (bitmap == nullptr || bitmap->GetLastStatus() != Gdiplus::Ok) {
    delete bitmap;
    return nullptr;
  }
  auto picture = std::make_unique<CPicture>();
  picture->m_impl->bitmap = bitmap;
  return picture;
}

CRgn::CRgn() : m_impl(std::make_unique<Impl>()) {}

CRgn::~CRgn() {
  if (m_impl != nullptr && m_impl->region != nullptr) DeleteObject(m_impl->region);
}

CRgn::CRgn(CRgn&&) noexcept = default;
CRgn& CRgn::operator=(CRgn&&) noexcept = default;

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
  if (m_impl->region != nullptr) DeleteObject(m_impl->region);
  m_impl->region = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
  return m_impl->region != nullptr;
}

bool CRgn::IsNull() const { return m_impl == nullptr || m_impl->region == nullptr; }
