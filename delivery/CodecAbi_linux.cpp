#include "CodecAbi.h"

#include "SharedLibrary.h"

sevenzip::VariantClearFn codecVariantClear(SharedLibrary& library) {
  // The library allocates BSTRs with its own malloc-based SysAllocString.
  return reinterpret_cast<sevenzip::VariantClearFn>(library.symbol("VariantClear"));
}
