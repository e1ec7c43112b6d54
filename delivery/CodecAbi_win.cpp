#include "CodecAbi.h"

#include "SharedLibrary.h"

#include <windows.h>
#include <propidl.h>

namespace {

sevenzip::HResult KVR_COMCALL clearWithOle(sevenzip::PropVariant* value) {
  return PropVariantClear(reinterpret_cast<PROPVARIANT*>(value));
}

}  // namespace

sevenzip::VariantClearFn codecVariantClear(SharedLibrary&) {
  // The DLL allocates BSTRs through OleAut32, like any Windows component.
  return &clearWithOle;
}
