#include <cstring>
#include <vector>

#include "framework/CDC.h"
#include "framework/CImage.h"
#include "framework/WndImpl_linux.h"

namespace {

std::unique_ptr<CDC::Impl> contextOf(cairo_t* cr, bool owns) {
  auto impl = std::make_unique<CDC::Impl>();
  impl->cr = cr;
  impl->ownsContext = owns;
  return impl;
}

// A cairo surface over the image's pixels: premultiplied 32-bit pixels are cairo's own
// ARGB32 layout; without the alpha flag the fourth byte is ignored (RGB24); 24-bit rows
// are widened into a copy.
cairo_surface_t* surfaceOf(const CImage& image, bool sourceAlpha, std::vector<uint8_t>& copy) {
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  if (image.GetBPP() == 32 && image.GetPitch() > 0) {
    return cairo_image_surface_create_for_data(const_cast<uint8_t*>(image.GetBits()),
                                               sourceAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height,
                                               image.GetPitch());
  }
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
  copy.assign(static_cast<size_t>(stride) * height, 0);
  const int bytes = image.GetBPP() / 8;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      std::memcpy(&copy[static_cast<size_t>(y) * stride + x * 4], image.GetBits() + y * image.GetPitch() + x * bytes,
                  3);
  return cairo_image_surface_create_for_data(copy.data(), CAIRO_FORMAT_RGB24, width, height, stride);
}

}  // namespace

CairoDC::CairoDC(cairo_t* cr) : CDC(contextOf(cr, false)) {}

CDC::CDC(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CDC::~CDC() {
  if (m_impl->ownsContext && m_impl->cr != nullptr) cairo_destroy(m_impl->cr);
}

void CDC::FillRect(const CRect& rect, ColorRef colour) {
  cairo_t* cr = m_impl->cr;
  cairo_save(cr);
  cairo_set_source_rgb(cr, RedOf(colour) / 255.0, GreenOf(colour) / 255.0, BlueOf(colour) / 255.0);
  cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_fill(cr);
  cairo_restore(cr);
}

bool CDC::AlphaBlend(int x, int y, int width, int height, const CImage& source, int sx, int sy, int sWidth, int sHeight,
                     uint8_t constantAlpha, bool sourceAlpha) {
  if (source.IsNull() || sWidth <= 0 || sHeight <= 0) return false;
  std::vector<uint8_t> copy;
  cairo_surface_t* surface = surfaceOf(source, sourceAlpha, copy);
  cairo_t* cr = m_impl->cr;
  cairo_save(cr);
  cairo_rectangle(cr, x, y, width, height);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, static_cast<double>(width) / sWidth, static_cast<double>(height) / sHeight);
  cairo_set_source_surface(cr, surface, -sx, -sy);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_paint_with_alpha(cr, constantAlpha / 255.0);
  cairo_restore(cr);
  cairo_surface_destroy(surface);
  return true;
}

void CDC::DrawPicture(const CPicture& picture, int width, int height) {
  GdkPixbuf* pixbuf = picture.impl().pixbuf;
  if (pixbuf == nullptr) return;
  cairo_t* cr = m_impl->cr;
  cairo_save(cr);
  cairo_scale(cr, static_cast<double>(width) / gdk_pixbuf_get_width(pixbuf),
              static_cast<double>(height) / gdk_pixbuf_get_height(pixbuf));
  gdk_cairo_set_source_pixbuf(cr, pixbuf, 0, 0);
  // The window is its picture: the pixels replace what was there.
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_restore(cr);
}

void CDC::SetBkModeTransparent(bool transparent) { m_impl->transparent = transparent; }

void CDC::SetTextColor(ColorRef colour) { m_impl->textColour = colour; }

CPaintDC::CPaintDC(CWnd* pWnd) : CDC(contextOf(WndAccess::impl(*pWnd).paintContext, false)), m_pWnd(pWnd) {}

CPaintDC::~CPaintDC() = default;

CImageDC::CImageDC(CImage& image)
    : CDC(contextOf(cairo_create(cairo_image_surface_create_for_data(
                        image.GetBits(), image.HasAlphaChannel() ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                        image.GetWidth(), image.GetHeight(), image.GetPitch())),
                    true)) {
  // The context keeps the surface alive; drop ours.
  cairo_surface_destroy(cairo_get_target(m_impl->cr));
}

CImageDC::~CImageDC() { cairo_surface_flush(cairo_get_target(m_impl->cr)); }

CImage::CImage() : m_impl(std::make_unique<Impl>()) {}
CImage::~CImage() = default;

bool CImage::Create(int nWidth, int nHeight, int nBPP, bool bAlpha) {
  Destroy();
  if (nWidth <= 0 || nHeight <= 0 || (nBPP != 32 && nBPP != 24)) return false;
  // Rows are 4-byte aligned, as in a device-independent bitmap.
  const int pitch = (nWidth * (nBPP / 8) + 3) / 4 * 4;
  m_impl->data = std::make_unique<uint8_t[]>(static_cast<size_t>(pitch) * nHeight);
  std::memset(m_impl->data.get(), 0, static_cast<size_t>(pitch) * nHeight);
  m_impl->width = nWidth;
  m_impl->height = nHeight;
  m_impl->bpp = nBPP;
  m_impl->pitch = pitch;
  m_impl->alpha = bAlpha && nBPP == 32;
  return true;
}

bool CImage::Load(std::span<const unsigned char> encoded) {
  Destroy();
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  const bool written = gdk_pixbuf_loader_write(loader, encoded.data(), encoded.size(), nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
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
  g_object_unref(loader);
  return loaded;
}

void CImage::Destroy() { *m_impl = Impl{}; }

bool CImage::IsNull() const { return m_impl->data == nullptr; }
int CImage::GetWidth() const { return m_impl->width; }
int CImage::GetHeight() const { return m_impl->height; }
int CImage::GetBPP() const { return m_impl->bpp; }
int CImage::GetPitch() const { return m_impl->pitch; }
uint8_t* CImage::GetBits() { return m_impl->data.get(); }
const uint8_t* CImage::GetBits() const { return m_impl->data.get(); }
bool CImage::HasAlphaChannel() const { return m_impl->alpha; }

CPicture::CPicture() : m_impl(std::make_unique<Impl>()) {}

CPicture::~CPicture() {
  if (m_impl->pixbuf != nullptr) g_object_unref(m_impl->pixbuf);
}

std::unique_ptr<CPicture> CPicture::FromBytes(std::span<const unsigned char> encoded) {
  if (encoded.empty()) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  const bool written = gdk_pixbuf_loader_write(loader, encoded.data(), encoded.size(), nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  std::unique_ptr<CPicture> picture;
  if (pixbuf != nullptr) {
    picture = std::make_unique<CPicture>();
    picture->m_impl->pixbuf = GDK_PIXBUF(g_object_ref(pixbuf));
  }
  g_object_unref(loader);
  return picture;
}

CRgn::CRgn() : m_impl(std::make_unique<Impl>()) {}

CRgn::~CRgn() {
  if (m_impl != nullptr && m_impl->region != nullptr) cairo_region_destroy(m_impl->region);
}

CRgn::CRgn(CRgn&&) noexcept = default;
CRgn& CRgn::operator=(CRgn&&) noexcept = default;

bool CRgn::CreateFromRects(std::span<const CRect> rects) {
  std::vector<cairo_rectangle_int_t> boxes;
  boxes.reserve(rects.size());
  for (const CRect& rect : rects) boxes.push_back({rect.left, rect.top, rect.Width(), rect.Height()});
  if (m_impl->region != nullptr) cairo_region_destroy(m_impl->region);
  m_impl->region = cairo_region_create_rectangles(boxes.data(), static_cast<int>(boxes.size()));
  return m_impl->region != nullptr;
}

bool CRgn::IsNull() const { return m_impl == nullptr || m_impl->region == nullptr; }
