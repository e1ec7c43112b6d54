#include "Console.h"

#include <unistd.h>

#include <cstdio>

void consoleWritePlain(std::string_view text) { fwrite(text.data(), 1, text.size(), stdout); }

void consoleWriteColored(std::string_view text, uint16_t attribute) {
  static const bool s_terminal = isatty(STDOUT_FILENO) == 1;
  if (!s_terminal) {
    consoleWritePlain(text);
    return;
  }
  // ANSI colour numbers put red, green and blue in bits 0, 1 and 2.
  const int ansi = 30 + ((attribute & CONSOLE_RED) ? 1 : 0) + ((attribute & CONSOLE_GREEN) ? 2 : 0) +
                   ((attribute & CONSOLE_BLUE) ? 4 : 0);
  fprintf(stdout, "\033[%dm%.*s\033[0m", ansi, static_cast<int>(text.size()), text.data());
  fflush(stdout);
}

bool consoleShowsColoredText() { return true; }
