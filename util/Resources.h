// The launcher's string table (ids in StringTable.h).
#pragma once

#include <string>

// The string-table entry `id`, at most 99 characters (the launcher loads each entry
// into a 100-character buffer); empty when there is none.
std::wstring LoadResourceText(unsigned id);
