// A drawing surface: a window's paint or erase context, or an image's memory context.
// The controls draw only through it, so their arithmetic runs the same on both targets.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "framework/AfxTypes.h"

// Windows' headers define this name as a macro; here it is CDC's own member.
#undef DrawText

class CImage;
class CPicture;
class CWnd;

class CDC {
 public:
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // Fills with a solid brush of `colour`, made and deleted inside the call.
  void FillRect(const CRect& rect, ColorRef colour);
  // AlphaBlend with AC_SRC_OVER, constant alpha `constantAlpha`; `sourceAlpha` is
  // AC_SRC_ALPHA (the source's colours are premultiplied).
  bool AlphaBlend(int x, int y, int width, int height, const CImage& source, int sx, int sy, int sWidth, int sHeight,
                  uint8_t constantAlpha, bool sourceAlpha);
  // Draws the picture stretched into the parallelogram (0,0), (width,0), (0,height).
  void DrawPicture(const CPicture& picture, int width, int height);
  void SetBkModeTransparent(bool transparent);
  void SetTextColor(ColorRef colour);
  // One line of `text` in the shell's sans-serif face, `pixelHeight` pixels high, in
  // `colour` over what is there, against the right edge of `rect` and centred in its
  // height; clipped to `rect`.
  void DrawText(const std::wstring& text, const CRect& rect, ColorRef colour, int pixelHeight);

  struct Impl;  // the platform's side: the device or cairo context

 protected:
  explicit CDC(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;

  friend struct DCAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};

// The paint context of a window's WM_PAINT (BeginPaint ... EndPaint).
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

 private:
  CWnd* m_pWnd;
};

// The memory context of a 32-bit image: drawing lands in the image's pixels.
class CImageDC : public CDC {
 public:
  explicit CImageDC(CImage& image);
  ~CImageDC() override;
};

// A window region made from rectangles.
class CRgn {
 public:
  CRgn();
  ~CRgn();
  CRgn(CRgn&&) noexcept;
  CRgn& operator=(CRgn&&) noexcept;

  // One region call for all rectangles (never a union per rectangle: that is quadratic).
  bool CreateFromRects(std::span<const CRect> rects);
  bool IsNull() const;

  struct Impl;  // the platform's side: the region
  // Frees the region with its Impl; defined by the twins, so the object's own life needs
  // nothing of them.
  struct ImplDeleter {
    void operator()(Impl* impl) const;
  };

 private:
  std::unique_ptr<Impl, ImplDeleter> m_impl;  // null while the object holds no region

  friend struct RgnAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};
