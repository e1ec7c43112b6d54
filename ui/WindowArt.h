// The main window's background: the picture it paints and the outline that shapes it.
#pragma once

#include <future>
#include <memory>
#include <vector>

#include "framework/CDC.h"
#include "framework/CImage.h"

struct WindowArt {
  std::unique_ptr<CPicture> picture;  // null when the resource does not decode
  std::vector<CRect> outline;         // the pixels opaque enough to belong to the window
};

// Decodes the background on a thread of its own. Decoding it twice (to paint, and to
// read its alpha) is a fifth of the way to the first paint and needs nothing from the
// configuration, so the start begins it before the fetch and the dialog takes it after.
// Where the picture decoder needs the graphics library, start it first (startGraphics).
std::future<WindowArt> decodeWindowArtAside();
