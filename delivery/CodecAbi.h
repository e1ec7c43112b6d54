// How PROPVARIANT values handed out by the codec library are released: with the
// library's own allocator on Linux, with the system's on Windows.
#pragma once

#include "CodecInterfaces.h"

class SharedLibrary;

// Null when the release function cannot be found (error() of `library` tells why).
sevenzip::VariantClearFn codecVariantClear(SharedLibrary& library);
