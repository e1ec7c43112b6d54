// Plain values the framework's window classes share: points, rectangles, colours and
// the small enumerations that stand in for the platform's message constants.
#pragma once

#include <cstdint>

struct CPoint {
  int x = 0;
  int y = 0;
};

struct CSize {
  int cx = 0;
  int cy = 0;
};

// Right and bottom are exclusive, as on Windows.
struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const CRect&) const = default;
};

// A colour as Windows stores it: 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef MakeRgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<ColorRef>(red) | static_cast<ColorRef>(green) << 8 | static_cast<ColorRef>(blue) << 16;
}
constexpr uint8_t RedOf(ColorRef colour) { return static_cast<uint8_t>(colour); }
constexpr uint8_t GreenOf(ColorRef colour) { return static_cast<uint8_t>(colour >> 8); }
constexpr uint8_t BlueOf(ColorRef colour) { return static_cast<uint8_t>(colour >> 16); }

// ShowWindow commands.
enum class ShowCmd { Hide, Show, ShowNormal, Minimize };

// Where SetWindowPos puts the window in the stacking order.
enum class ZOrder { Keep, TopMost, NoTopMost };

// SetWindowPos flags (the platform's values are not visible here).
inline constexpr unsigned kSwpNoSize = 0x1;
inline constexpr unsigned kSwpNoMove = 0x2;
inline constexpr unsigned kSwpNoRedraw = 0x8;

// What a point of a window's surface is, for the window system (WM_NCHITTEST).
enum class HitTest { Client, Caption };

// The brush a WM_CTLCOLOR handler answers with.
enum class CtlColorBrush { Default, Null };

// Command notification codes and the dialog's default commands.
inline constexpr int kBnClicked = 0;
inline constexpr int kBnDoubleClicked = 5;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
