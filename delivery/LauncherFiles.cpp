#include "LauncherFiles.h"

#include "ExtractPackage.h"
#include "FileSystem.h"
#include "TextConvert.h"

bool isLauncherFileName(const std::string& name) {
  const std::string library = ToAnsi(kCodecLibraryPath.substr(kCodecLibraryPath.find_last_of(L"/\\") + 1));
  // "logs" is the logger's folder ("./kvr/logs/"); ".part" the library's copy in writing.
  for (const std::string& kept : {library, library + ".part", std::string("logs")})
    if (sameFileName(name, kept)) return true;
  return false;
}
