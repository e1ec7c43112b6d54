#include "Console.h"

#include <windows.h>

#include <cstdio>

void consoleWritePlain(std::string_view text) { fwrite(text.data(), 1, text.size(), stdout); }

void consoleWriteColored(std::string_view text, uint16_t attribute) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info)) return;
  SetConsoleTextAttribute(out, attribute);
  fwrite(text.data(), 1, text.size(), stdout);
  // The attribute applies to what reaches the console, so flush before restoring it.
  fflush(stdout);
  SetConsoleTextAttribute(out, info.wAttributes);
}

bool consoleShowsColoredText() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  return out != nullptr && out != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(out, &info);
}
