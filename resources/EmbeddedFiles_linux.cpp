// The files the launcher carries, linked in as data: the codec shared object and
// the uninstaller. The assembler reads them (.incbin) so the compiler never has to.
#include "EmbeddedFiles.h"
#include "EmbeddedPaths.h"
#include "EmbeddedResources_linux.h"

#define KVR_EMBED(name, file)                                                   \
  __asm__(".pushsection .rodata\n"                                              \
          ".balign 16\n"                                                        \
          ".globl " #name "_begin, " #name "_end\n"                             \
          ".hidden " #name "_begin, " #name "_end\n" #name "_begin:\n"          \
          ".incbin \"" file "\"\n" #name "_end:\n"                              \
          ".popsection\n");                                                     \
  extern "C" const unsigned char name##_begin[];                                \
  extern "C" const unsigned char name##_end[];

KVR_EMBED(kvr_codec_library, KVR_CODEC_LIBRARY_FILE)
KVR_EMBED(kvr_uninstaller, KVR_UNINSTALLER_FILE)

extern "C" const EmbeddedResource kvr_embedded_resources[] = {
    {IDR_CODEC_LIBRARY, "DLL", kvr_codec_library_begin, kvr_codec_library_end},
    {IDR_UNINSTALLER, "EXE", kvr_uninstaller_begin, kvr_uninstaller_end},
    {0, nullptr, nullptr, nullptr},
};
