#include "LoadedLibrary.h"

#include <fstream>

bool isLibraryLoaded(const std::string& fileName) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.size() > fileName.size() && line.compare(line.size() - fileName.size(), fileName.size(), fileName) == 0 &&
        line[line.size() - fileName.size() - 1] == '/')
      return true;
  return false;
}
