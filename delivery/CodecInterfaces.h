// The part of the 7-Zip codec library's COM-style interface that the archive layer
// uses, declared with the library's own layout: IUnknown without a virtual destructor,
// 32-bit results and counts, BSTR as wchar_t text, methods in the library's
// calling convention (KVR_COMCALL, set by the build).
#pragma once

#include <cstdint>

namespace sevenzip {

using HResult = std::int32_t;
using PropId = std::uint32_t;
using VarType = std::uint16_t;
using Bstr = wchar_t*;

inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;
inline constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kAbort = static_cast<HResult>(0x80004004u);
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kInvalidArgument = static_cast<HResult>(0x80070057u);

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.data4[i] != b.data4[i]) return false;
  return true;
}

// The library's interface ids: 23170F69-40C1-278A-0000-00gg00ii0000.
constexpr Guid interfaceId(std::uint8_t group, std::uint8_t id) {
  return Guid{0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, id, 0, 0}};
}

enum VarTypes : VarType {
  kVtEmpty = 0,
  kVtBstr = 8,
  kVtBool = 11,
  kVtUi4 = 19,
  kVtUi8 = 21,
  kVtFileTime = 64,
};

enum ItemProperties : PropId {
  kpidPath = 3,
  kpidIsDir = 6,
  kpidSize = 7,
  kpidAttrib = 9,
  kpidMTime = 12,
  kpidCrc = 19,
  kpidIsAnti = 21,
};

enum AskMode : std::int32_t { kAskExtract = 0, kAskTest = 1, kAskSkip = 2 };

enum OperationResult : std::int32_t {
  kResultOk = 0,
  kResultUnsupportedMethod = 1,
  kResultDataError = 2,
  kResultCrcError = 3,
  kResultUnavailable = 4,
  kResultUnexpectedEnd = 5,
  kResultDataAfterEnd = 6,
  kResultIsNotArc = 7,
  kResultHeadersError = 8,
  kResultWrongPassword = 9,
};

struct FileTime {
  std::uint32_t low;
  std::uint32_t high;
};

// PROPVARIANT: a type tag, three reserved words and an 8-byte value.
struct PropVariant {
  VarType vt = kVtEmpty;
  std::uint16_t reserved1 = 0;
  std::uint16_t reserved2 = 0;
  std::uint16_t reserved3 = 0;
  union {
    std::uint32_t ulVal;
    std::uint64_t uhVal;
    std::int16_t boolVal;
    FileTime filetime;
    Bstr bstrVal;
  };
  PropVariant() : uhVal(0) {}
};
static_assert(sizeof(PropVariant) == 16, "PROPVARIANT layout");

// Interfaces: destructors are protected and non-virtual, as in the library. Each names
// its id (kIid) and the interface it extends (Base).
struct IUnknown {
  static constexpr Guid kIid = Guid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual HResult KVR_COMCALL QueryInterface(const Guid& iid, void** object) = 0;
  virtual std::uint32_t KVR_COMCALL AddRef() = 0;
  virtual std::uint32_t KVR_COMCALL Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct ISequentialInStream : IUnknown {
  static constexpr Guid kIid = interfaceId(3, 0x01);
  using Base = IUnknown;

  virtual HResult KVR_COMCALL Read(void* data, std::uint32_t size, std::uint32_t* processed) = 0;

 protected:
  ~ISequentialInStream() = default;
};

struct IInStream : ISequentialInStream {
  static constexpr Guid kIid = interfaceId(3, 0x03);
  using Base = ISequentialInStream;

  virtual HResult KVR_COMCALL Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* position) = 0;

 protected:
  ~IInStream() = default;
};

struct ISequentialOutStream : IUnknown {
  static constexpr Guid kIid = interfaceId(3, 0x02);
  using Base = IUnknown;

  virtual HResult KVR_COMCALL Write(const void* data, std::uint32_t size, std::uint32_t* processed) = 0;

 protected:
  ~ISequentialOutStream() = default;
};

struct IProgress : IUnknown {
  static constexpr Guid kIid = interfaceId(0, 0x05);
  using Base = IUnknown;

  virtual HResult KVR_COMCALL SetTotal(std::uint64_t total) = 0;
  virtual HResult KVR_COMCALL SetCompleted(const std::uint64_t* completed) = 0;

 protected:
  ~IProgress() = default;
};

struct ICryptoGetTextPassword : IUnknown {
  static constexpr Guid kIid = interfaceId(5, 0x10);
  using Base = IUnknown;

  virtual HResult KVR_COMCALL CryptoGetTextPassword(Bstr* password) = 0;

 protected:
  ~ICryptoGetTextPassword() = default;
};

struct IArchiveOpenCallback : IUnknown {
  static constexpr Guid kIid = interfaceId(6, 0x10);
  using Base = IUnknown;

  virtual HResult KVR_COMCALL SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
  virtual HResult KVR_COMCALL SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) = 0;

 protected:
  ~IArchiveOpenCallback() = default;
};

struct IArchiveExtractCallback : IProgress {
  static constexpr Guid kIid = interfaceId(6, 0x20);
  using Base = IProgress;

  virtual HResult KVR_COMCALL GetStream(std::uint32_t index, ISequentialOutStream** stream, std::int32_t askMode) = 0;
  virtual HResult KVR_COMCALL PrepareOperation(std::int32_t askMode) = 0;
  virtual HResult KVR_COMCALL SetOperationResult(std::int32_t result) = 0;

 protected:
  ~IArchiveExtractCallback() = default;
};

struct IInArchive : IUnknown {
  static constexpr Guid kIid = interfaceId(6, 0x60);
  using Base = IUnknown;

  virtual HResult KVR_COMCALL Open(IInStream* stream, const std::uint64_t* maxCheckStart,
                                   IArchiveOpenCallback* callback) = 0;
  virtual HResult KVR_COMCALL Close() = 0;
  virtual HResult KVR_COMCALL GetNumberOfItems(std::uint32_t* count) = 0;
  virtual HResult KVR_COMCALL GetProperty(std::uint32_t index, PropId id, PropVariant* value) = 0;
  virtual HResult KVR_COMCALL Extract(const std::uint32_t* indices, std::uint32_t count, std::int32_t testMode,
                                      IArchiveExtractCallback* callback) = 0;
  virtual HResult KVR_COMCALL GetArchiveProperty(PropId id, PropVariant* value) = 0;
  virtual HResult KVR_COMCALL GetNumberOfProperties(std::uint32_t* count) = 0;
  virtual HResult KVR_COMCALL GetPropertyInfo(std::uint32_t index, Bstr* name, PropId* id, VarType* type) = 0;
  virtual HResult KVR_COMCALL GetNumberOfArchiveProperties(std::uint32_t* count) = 0;
  virtual HResult KVR_COMCALL GetArchivePropertyInfo(std::uint32_t index, Bstr* name, PropId* id, VarType* type) = 0;

 protected:
  ~IInArchive() = default;
};

// The library's exported entry point and its PROPVARIANT release.
using CreateObjectFn = HResult(KVR_COMCALL*)(const Guid* classId, const Guid* iid, void** object);
using VariantClearFn = HResult(KVR_COMCALL*)(PropVariant* value);

}  // namespace sevenzip
