// Whether a shared library of the given file name is mapped into this process.
#pragma once

#include <string>

bool isLibraryLoaded(const std::string& fileName);
