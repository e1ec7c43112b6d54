#include "framework/FrameworkImpl_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "framework/CImage.h"
#include "util/Scoped_win.h"

namespace {

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
  SetLayout(static_cast<uint8_t*>(bits) + static_cast<ptrdiff_t>(nHeight - 1) * stride, nWidth, nHeight, nBPP, -stride,
            bAlpha && nBPP == 32);
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
  SetLayout(nullptr, 0, 0, 0, 0, false);
}

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
