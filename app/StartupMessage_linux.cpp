#include <unistd.h>

#include "FileSystem.h"
#include "StartupMessage.h"
#include "TextConvert.h"
#include "framework/MessageBox.h"

void showStartupError(const std::wstring& text) {
  const std::string line = ToAnsi(text) + "\n";
  writeAll(STDERR_FILENO, line.data(), line.size());
  // Without a display the player started it from a terminal: standard error is all
  // there is (the box then shows nothing and returns).
  AfxWarningBox(text, kBoxCaption);
}
