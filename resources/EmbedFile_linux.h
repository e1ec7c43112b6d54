// Links a file into the executable as read-only data between name_begin and name_end.
// The assembler reads the file (.incbin), so the compiler never has to.
#pragma once

// One assembler line a source line reads better than the formatter's split.
// clang-format off
#define KVR_EMBED(name, file)                                          \
  __asm__(".pushsection .rodata\n"                                     \
          ".balign 16\n"                                               \
          ".globl " #name "_begin, " #name "_end\n"                    \
          ".hidden " #name "_begin, " #name "_end\n"                   \
          #name "_begin:\n"                                            \
          ".incbin \"" file "\"\n"                                     \
          #name "_end:\n"                                              \
          ".popsection\n");                                            \
  extern "C" const unsigned char name##_begin[];                       \
  extern "C" const unsigned char name##_end[];
// clang-format on
