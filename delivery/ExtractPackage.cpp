#include "ExtractPackage.h"

void ExtractPackage(const BitExtractor& extractor, const std::wstring& wszPackage, const std::wstring& wszPath) {
  extractor.extract(wszPackage, wszPath, kGameExecutable);
}
