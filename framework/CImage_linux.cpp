#include <cstring>

#include "framework/CImage.h"
#include "framework/FrameworkImpl_linux.h"

namespace {

// The decoded picture of `encoded` (a new reference), or null. The window decodes its
// background twice, for painting and for the region (the same resource bytes), and
// decoding it is a tenth of the window's start: the last picture is kept and given again
// for the same bytes. Pictures are never changed once decoded.
GdkPixbuf* decodePicture(std::span<const unsigned char> encoded) {
  static const unsigned char* s_lastBytes = nullptr;
  static size_t s_lastSize = 0;
  static GdkPixbuf* s_last = nullptr;
  if (s_last != nullptr && encoded.data() == s_lastBytes && encoded.size() == s_lastSize)
    return GDK_PIXBUF(g_object_ref(s_last));
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  const bool written = gdk_pixbuf_loader_write(loader, encoded.data(), encoded.size(), nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  if (pixbuf != nullptr) {
    if (s_last != nullptr) g_object_unref(s_last);
    s_last = GDK_PIXBUF(g_object_ref(pixbuf));
    s_lastBytes = encoded.data();
    s_lastSize = encoded.size();
    g_object_ref(pixbuf);
  }
  g_object_unref(loader);
  return pixbuf;
}

}  // namespace

CImage::CImage() : m_impl(std::make_unique<Impl>()) {}
CImage::~CImage() = default;

bool CImage::Create(int nWidth, int nHeight, int nBPP, bool bAlpha) {
  Destroy();
  if (nWidth <= 0 || nHeight <= 0 || (nBPP != 32 && nBPP != 24)) return false;
  // Rows are 4-byte aligned, as in a device-independent bitmap.
  const int pitch = (nWidth * (nBPP / 8) + 3) / 4 * 4;
  m_impl->data = std::make_unique<uint8_t[]>(static_cast<size_t>(pitch) * nHeight);
  std::memset(m_impl->data.get(), 0, static_cast<size_t>(pitch) * nHeight);
  SetLayout(m_impl->data.get(), nWidth, nHeight, nBPP, pitch, bAlpha && nBPP == 32);
  return true;
}

bool CImage::Load(std::span<const unsigned char> encoded) {
  Destroy();
  GdkPixbuf* pixbuf = decodePicture(encoded);
  bool loaded = false;
  if (pixbuf != nullptr && gdk_pixbuf_get_bits_per_sample(pixbuf) == 8) {
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    loaded = Create(width, height, alpha ? 32 : 24, alpha);
    for (int y = 0; loaded && y < height; ++y) {
      const guchar* from = pixels + static_cast<ptrdiff_t>(y) * rowstride;
      uint8_t* to = GetBits() + static_cast<ptrdiff_t>(y) * GetPitch();
      for (int x = 0; x < width; ++x, from += channels) {
        // RGB(A) to BGR(A), alpha left straight.
        *to++ = from[2];
        *to++ = from[1];
        *to++ = from[0];
        if (alpha) *to++ = from[3];
      }
    }
  }
  if (pixbuf != nullptr) g_object_unref(pixbuf);
  return loaded;
}

void CImage::Destroy() {
  SetLayout(nullptr, 0, 0, 0, 0, false);
  *m_impl = Impl{};
}

CPicture::CPicture() : m_impl(std::make_unique<Impl>()) {}

CPicture::~CPicture() {
  if (m_impl->pixbuf != nullptr) g_object_unref(m_impl->pixbuf);
}

std::unique_ptr<CPicture> CPicture::FromBytes(std::span<const unsigned char> encoded) {
  if (encoded.empty()) return nullptr;
  GdkPixbuf* pixbuf = decodePicture(encoded);
  if (pixbuf == nullptr) return nullptr;
  auto picture = std::make_unique<CPicture>();
  picture->m_impl->pixbuf = pixbuf;
  return picture;
}
