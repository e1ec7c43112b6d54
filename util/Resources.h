// The executable's own resources: the launcher's string table (ids in StringTable.h)
// and the files it carries (ids in EmbeddedFiles.h).
#pragma once

#include <span>
#include <string>

// The string-table entry `id`, at most 99 characters (the launcher loads each entry
// into a 100-character buffer); empty when there is none.
std::wstring LoadResourceText(unsigned id);

// The bytes of the binary resource `id` of type `type` ("DLL", "EXE") that the
// running executable carries; empty when it carries none.
std::span<const unsigned char> LoadResourceBytes(unsigned id, const char* type);
