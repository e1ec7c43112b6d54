// Extraction of the downloaded game package into the game folder.
#pragma once

#include <string>

#include "Bit7z.h"
#include "InstallLayout.h"

// The codec library the launcher writes at start-up (kCodecLibraryFile, plain ASCII),
// as the archive layer takes paths.
inline const std::wstring kCodecLibraryPath(kCodecLibraryFile,
                                            kCodecLibraryFile + std::char_traits<char>::length(kCodecLibraryFile));

// The game executable at the top of the package; the game counts as installed when
// it exists, so it is written last and only by a complete extraction.
inline constexpr wchar_t kGameExecutable[] = L"kvr.exe";

// Extracts every item of the package `wszPackage` into the game folder `wszPath`; the
// files written. Throws BitException with the library's message on failure.
std::vector<ExtractedFile> ExtractPackage(const BitExtractor& extractor, const std::wstring& wszPackage,
                                          const std::wstring& wszPath);

// True when the game executable is a regular file in the game folder `wszPath`.
bool hasGameExecutable(const std::wstring& wszPath);

// Throws BitException naming what is missing unless the game executable is a regular
// file in the game folder `wszPath`: an archive without the game extracts cleanly, yet
// leaves nothing to start and would be downloaded again at every start.
void RequireGameExecutable(const std::wstring& wszPath);
