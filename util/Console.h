// Standard output for the logger's lines and diagnostics.
#pragma once

#include <cstdint>
#include <string_view>

// Console text attributes (1 blue, 2 green, 4 red, combined).
constexpr uint16_t CONSOLE_BLUE = 1;
constexpr uint16_t CONSOLE_GREEN = 2;
constexpr uint16_t CONSOLE_RED = 4;

// Writes the text unchanged to standard output.
void consoleWritePlain(std::string_view text);

// Writes the text in the colour of `attribute` and restores the previous colour.
// Windows: only when standard output is a console (nothing otherwise).
// Linux: ANSI colours on a terminal, plain text otherwise.
void consoleWriteColored(std::string_view text, uint16_t attribute);

// Whether consoleWriteColored shows anything here (Windows: standard output is a console).
bool consoleShowsColoredText();
