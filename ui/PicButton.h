// The main window's picture button and progress bar, and the loader of their pictures.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/CDC.h"
#include "framework/CImage.h"
#include "framework/Controls.h"

// Loads the "PNG" resource `nResID` into `pImage` and premultiplies 32-bit pixels by their
// alpha. False when `pImage` is null or the resource is missing (the image is then empty;
// an earlier picture is released first in every case); true otherwise, also when the
// bytes do not decode (the image stays empty).
bool LoadPngResource(CImage* pImage, unsigned nResID);

// The pixels of a 32-bit image whose alpha is `threshold` or more, as one rectangle per
// maximal run of such pixels in a row, rows from the top. Empty for other images.
std::vector<CRect> AlphaRowRuns(const CImage& image, uint8_t threshold);

// Replaces each colour byte of a 32-bit image by colour × alpha ÷ 255 (rounded down);
// other depths are left alone.
void PremultiplyAlpha(CImage& image);

// A push button whose whole look is one picture with per-pixel transparency, blended
// onto whatever lies beneath it when its background is erased. One look for every state.
class CPicButton : public CButton {
 public:
  CImage m_image;

 protected:
  void PreSubclassWindow() override;
  bool OnEraseBkgnd(CDC* pDC) override;
};

inline constexpr ColorRef kProgressBackground = MakeRgb(27, 126, 218);
inline constexpr ColorRef kProgressBar = MakeRgb(138, 206, 249);

// A progress bar painted as two flat rectangles: the background over the whole client
// area, the bar from the left edge to P × W ÷ (U − L). The standard control keeps the
// range and the position.
class CProgress : public CProgressCtrl {
 public:
  // The paint handler's drawing for range `nLower` … `nUpper` and position `nPos`.
  static void Paint(CDC& dc, const CRect& client, int32_t nLower, int32_t nUpper, int32_t nPos);

 protected:
  void OnPaint() override;
};
