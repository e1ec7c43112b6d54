#include <cstring>
#include <vector>

#include "framework/CDC.h"
#include "framework/CImage.h"
#include "framework/FrameworkImpl_linux.h"
#include "util/Utf8.h"

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
  GdkPixbuf* pixbuf = PictureAccess::impl(picture).pixbuf;
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

void CDC::DrawText(const std::wstring& text, const CRect& rect, ColorRef colour, int pixelHeight) {
  cairo_t* cr = m_impl->cr;
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("Sans");
  pango_font_description_set_absolute_size(font, pixelHeight * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  const std::string utf8 = toUtf8(text);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  cairo_save(cr);
  cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr);
  cairo_set_source_rgb(cr, RedOf(colour) / 255.0, GreenOf(colour) / 255.0, BlueOf(colour) / 255.0);
  cairo_move_to(cr, rect.right - width, rect.top + (rect.Height() - height) / 2);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

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

void CRgn::ImplDeleter::operator()(Impl* impl) const {
  if (impl->region != nullptr) cairo_region_destroy(impl->region);
  delete impl;
}

bool CRgn::CreateFromRects(std::span<const CRect> rects) {
  std::vector<cairo_rectangle_int_t> boxes;
  boxes.reserve(rects.size());
  for (const CRect& rect : rects) boxes.push_back({rect.left, rect.top, rect.Width(), rect.Height()});
  m_impl.reset();
  cairo_region_t* region = cairo_region_create_rectangles(boxes.data(), static_cast<int>(boxes.size()));
  if (region != nullptr) m_impl.reset(new Impl{region});
  return m_impl != nullptr;
}
