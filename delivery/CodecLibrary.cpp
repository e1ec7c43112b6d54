#include "CodecLibrary.h"

#include "BitException.h"
#include "CodecAbi.h"

using namespace sevenzip;

CodecLibrary::CodecLibrary(const std::wstring& path) {
  if (!m_library.load(path))
    throw BitException("Cannot load 7-zip library (error " + std::to_string(m_library.error()) + ")");
  m_createObject = reinterpret_cast<CreateObjectFn>(m_library.symbol("CreateObject"));
  if (m_createObject == nullptr) {
    const unsigned long error = m_library.error();
    m_library.unload();
    throw BitException("Cannot get CreateObject (error " + std::to_string(error) + ")");
  }
  m_variantClear = codecVariantClear(m_library);
  if (m_variantClear == nullptr) {
    const unsigned long error = m_library.error();
    m_library.unload();
    throw BitException("Cannot get VariantClear (error " + std::to_string(error) + ")");
  }
}

HResult CodecLibrary::createObject(const Guid& classId, const Guid& iid, void** object) const {
  return m_createObject(&classId, &iid, object);
}

void CodecLibrary::clearVariant(PropVariant& value) const {
  if (value.vt != kVtEmpty) m_variantClear(&value);
  value.vt = kVtEmpty;
}
