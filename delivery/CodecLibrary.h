// The loaded codec library and the library's objects as the archive layer holds them.
#pragma once

#include "CodecInterfaces.h"
#include "SharedLibrary.h"

#include <string>

class CodecLibrary {
 public:
  // Loads the library at `path` (by its full path) and looks up its entry points.
  // Throws BitException "Cannot load 7-zip library (error N)", "Cannot get
  // CreateObject (error N)" or "Cannot get VariantClear (error N)".
  explicit CodecLibrary(const std::wstring& path);
  CodecLibrary(const CodecLibrary&) = delete;
  CodecLibrary& operator=(const CodecLibrary&) = delete;

  sevenzip::HResult createObject(const sevenzip::Guid& classId, const sevenzip::Guid& iid, void** object) const;
  void clearVariant(sevenzip::PropVariant& value) const;

 private:
  SharedLibrary m_library;
  sevenzip::CreateObjectFn m_createObject = nullptr;
  sevenzip::VariantClearFn m_variantClear = nullptr;
};

// A property value released with the library's own allocator.
class Property {
 public:
  explicit Property(const CodecLibrary& library) : m_library(library) {}
  ~Property() { m_library.clearVariant(m_value); }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;

  sevenzip::PropVariant* get() { return &m_value; }
  const sevenzip::PropVariant& value() const { return m_value; }

 private:
  const CodecLibrary& m_library;
  sevenzip::PropVariant m_value;
};

// The archive handler, released (and closed once opened) on every path.
class Handler {
 public:
  Handler() = default;
  ~Handler() {
    if (m_archive == nullptr) return;
    if (m_open) m_archive->Close();
    m_archive->Release();
  }
  Handler(const Handler&) = delete;
  Handler& operator=(const Handler&) = delete;

  void** out() { return reinterpret_cast<void**>(&m_archive); }
  sevenzip::IInArchive* operator->() const { return m_archive; }
  sevenzip::IInArchive& get() const { return *m_archive; }
  explicit operator bool() const { return m_archive != nullptr; }
  void setOpen() { m_open = true; }

 private:
  sevenzip::IInArchive* m_archive = nullptr;
  bool m_open = false;
};
