#include "ExtractPackage.h"

#include "ExtractFiles.h"
#include "Utf8.h"

void ExtractPackage(const BitExtractor& extractor, const std::wstring& wszPackage, const std::wstring& wszPath) {
  extractor.extract(wszPackage, wszPath, kGameExecutable);
}

void RequireGameExecutable(const std::wstring& wszPath) {
  const std::wstring game = (wszPath.empty() ? std::wstring(L".") : wszPath) + kPathSeparator + kGameExecutable;
  if (!isRegularFileAt(game))
    throw BitException("The package holds no game executable: '" + toUtf8(game) + "' is not a file");
}
