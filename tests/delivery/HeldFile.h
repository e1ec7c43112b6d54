// A file held open by someone else, as another program would hold a game file: on
// Windows without sharing its deletion, so it can be neither moved nor replaced. Linux
// has no sharing modes; there nothing holds it.
#pragma once

#include <memory>
#include <string>

class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

// Nothing where the platform cannot hold a file that way.
std::unique_ptr<HeldFile> holdFile(const std::string& path);
