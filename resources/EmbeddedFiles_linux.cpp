// The files the launcher carries, linked in as data: the codec shared object and
// the uninstaller.
#include "EmbedFile_linux.h"
#include "EmbeddedFiles.h"
#include "EmbeddedPaths.h"
#include "EmbeddedResources_linux.h"

KVR_EMBED(kvr_codec_library, KVR_CODEC_LIBRARY_FILE)
KVR_EMBED(kvr_uninstaller, KVR_UNINSTALLER_FILE)

extern "C" const EmbeddedResource kvr_embedded_resources[] = {
    {IDR_CODEC_LIBRARY, "DLL", kvr_codec_library_begin, kvr_codec_library_end},
    {IDR_UNINSTALLER, "EXE", kvr_uninstaller_begin, kvr_uninstaller_end},
    {0, nullptr, nullptr, nullptr},
};
