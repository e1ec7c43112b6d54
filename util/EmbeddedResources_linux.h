// The table of files linked into an executable as data, the Linux form of binary
// resources. The executable that carries files defines `kvr_embedded_resources`,
// ended by an entry whose type is null.
#pragma once

struct EmbeddedResource {
  unsigned id;
  const char* type;
  const unsigned char* begin;
  const unsigned char* end;
};
