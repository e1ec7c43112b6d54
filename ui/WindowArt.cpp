#include "ui/WindowArt.h"

#include "resources/MainDialog.h"
#include "ui/PicButton.h"
#include "util/Resources.h"

namespace {

// Pixels at least this opaque are part of the window; the softer edge is left out.
constexpr uint8_t kShapeAlpha = 120;

WindowArt decodeWindowArt() {
  WindowArt art;
  art.picture = CPicture::FromBytes(LoadResourceBytes(IDB_PNG_BACKGROUND, "PNG"));
  CImage pixels;
  LoadPngResource(&pixels, IDB_PNG_BACKGROUND);
  art.outline = AlphaRowRuns(pixels, kShapeAlpha);
  return art;
}

}  // namespace

std::future<WindowArt> decodeWindowArtAside() { return std::async(std::launch::async, decodeWindowArt); }
