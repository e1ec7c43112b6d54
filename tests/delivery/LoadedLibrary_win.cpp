#include "LoadedLibrary.h"

#include <windows.h>

bool isLibraryLoaded(const std::string& fileName) { return GetModuleHandleA(fileName.c_str()) != nullptr; }
