// A dialog template as the Linux dialog layer reads it: the resource script's DIALOGEX
// in dialog units, from the same description (resources/MainDialog.h).
#pragma once

#include <span>

enum class DialogControlKind { Button, Progress, Label, Frame };

struct DialogControl {
  int id;
  DialogControlKind kind;
  const char* text;  // UTF-8
  int x, y, width, height;
};

struct DialogTemplate {
  unsigned id;
  int width, height;
  std::span<const DialogControl> controls;
};

// The template `id` the executable carries; null when there is none.
const DialogTemplate* FindDialogTemplate(unsigned id);

// Dialog units to pixels at 96 DPI with the shell font's base units (6 × 13), rounded
// as the dialog manager rounds (MulDiv).
constexpr int DialogUnitsToPixelsX(int units) { return (units * 6 * 2 + (units >= 0 ? 4 : -4)) / 8; }
constexpr int DialogUnitsToPixelsY(int units) { return (units * 13 * 2 + (units >= 0 ? 8 : -8)) / 16; }
static_assert(DialogUnitsToPixelsX(297) == 446 && DialogUnitsToPixelsY(392) == 637);
static_assert(DialogUnitsToPixelsX(40) == 60 && DialogUnitsToPixelsY(11) == 18);
