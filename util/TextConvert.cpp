#include "TextConvert.h"

std::string ToAnsi(std::wstring_view text) { return TryToAnsi(text).value_or(std::string()); }
