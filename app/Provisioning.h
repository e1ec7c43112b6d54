// What start-up writes into the install folder (the current folder): the files the
// launcher carries and the desktop shortcut to its installed copy. Failures are
// silent and never stop start-up.
#pragma once

#include <string>

// Writes the codec library and the uninstaller when they are missing or differ from
// the launcher's own copy, and the desktop shortcut when the library had to be
// written. `from` is the source tag for the log.
void WriteEmbeddedFiles(const std::string& from);

// Writes resource `id` of type `type` to `fileName`; true when every byte was
// written. The file appears only complete: a failed write leaves nothing behind.
bool WriteResourceToFile(const std::string& fileName, unsigned id, const char* type);
