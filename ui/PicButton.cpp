#include "ui/PicButton.h"

#include <algorithm>
#include <cmath>

#include "util/Resources.h"

bool LoadPngResource(CImage* pImage, unsigned nResID) {
  if (pImage == nullptr) return false;
  pImage->Destroy();
  const std::span<const unsigned char> bytes = LoadResourceBytes(nResID, "PNG");
  if (bytes.empty()) return false;
  pImage->Load(bytes);
  PremultiplyAlpha(*pImage);
  return true;
}

void PremultiplyAlpha(CImage& image) {
  if (image.IsNull() || image.GetBPP() != 32) return;
  uint8_t* bits = image.GetBits();
  const int pitch = image.GetPitch();
  for (int x = 0; x < image.GetWidth(); ++x)
    for (int y = 0; y < image.GetHeight(); ++y) {
      uint8_t* pixel = bits + static_cast<ptrdiff_t>(y) * pitch + x * 4;
      const unsigned alpha = pixel[3];
      for (int channel = 0; channel < 3; ++channel) pixel[channel] = static_cast<uint8_t>(pixel[channel] * alpha / 255);
    }
}

std::vector<CRect> AlphaRowRuns(const CImage& image, uint8_t threshold) {
  std::vector<CRect> runs;
  if (image.IsNull() || image.GetBPP() != 32) return runs;
  const int width = image.GetWidth();
  for (int y = 0; y < image.GetHeight(); ++y) {
    const uint8_t* row = image.GetBits() + static_cast<ptrdiff_t>(y) * image.GetPitch();
    for (int x = 0; x < width;) {
      while (x < width && row[x * 4 + 3] < threshold) ++x;
      const int x0 = x;
      while (x < width && row[x * 4 + 3] >= threshold) ++x;
      if (x > x0) runs.push_back({x0, y, x, y + 1});
    }
  }
  return runs;
}

void CPicButton::PreSubclassWindow() {
  ModifyStyleOwnerDraw();
  CButton::PreSubclassWindow();
}

bool CPicButton::OnEraseBkgnd(CDC* pDC) {
  const int width = m_image.GetWidth();
  const int height = m_image.GetHeight();
  if (!m_image.IsNull())
    pDC->AlphaBlend(0, 0, width, height, m_image, 0, 0, width, height, 255, m_image.HasAlphaChannel());
  pDC->SetBkModeTransparent(true);
  return true;
}

void CProgress::Paint(CDC& dc, const CRect& client, int32_t nLower, int32_t nUpper, int32_t nPos) {
  // The bar is measured from the left edge with the position itself, not P − L. An empty
  // range draws the background only.
  const double scale = nUpper != nLower ? client.Width() / (static_cast<double>(nUpper) - nLower) : 0.0;
  dc.FillRect(client, kProgressBackground);
  // Painting is clipped to the control: a bar beyond either edge shows as an empty or a
  // full one, and the clamp keeps the conversion in range.
  const double right =
      std::clamp(std::trunc(nPos * scale), static_cast<double>(client.left) - 1, static_cast<double>(client.right));
  CRect bar = client;
  bar.right = static_cast<int>(right);
  if (bar.right > bar.left) dc.FillRect(bar, kProgressBar);
}

void CProgress::OnPaint() {
  CPaintDC dc(this);
  int32_t nLower = 0;
  int32_t nUpper = 0;
  GetRange(nLower, nUpper);
  Paint(dc, GetClientRect(), nLower, nUpper, GetPos());
}
