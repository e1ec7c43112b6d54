#include "ExtractPackage.h"

#include "ExtractFiles.h"
#include "Utf8.h"

std::vector<ExtractedFile> ExtractPackage(const BitExtractor& extractor, const std::wstring& wszPackage,
                                          const std::wstring& wszPath) {
  return extractor.extract(wszPackage, wszPath, kGameExecutable);
}

namespace {

std::wstring gameExecutable(const std::wstring& wszPath) {
  return (wszPath.empty() ? std::wstring(L".") : wszPath) + kPathSeparator + kGameExecutable;
}

}  // namespace

bool hasGameExecutable(const std::wstring& wszPath) { return isRegularFileAt(gameExecutable(wszPath)); }

void RequireGameExecutable(const std::wstring& wszPath) {
  const std::wstring game = gameExecutable(wszPath);
  if (!isRegularFileAt(game))
    throw BitException("The package holds no game executable: '" + toUtf8(game) + "' is not a file");
}
