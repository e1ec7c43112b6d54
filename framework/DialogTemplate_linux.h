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
