// IUnknown for our objects that the codec library calls. QueryInterface answers the id
// of each listed interface and of every interface it extends, IUnknown with the first.
// The objects live on the stack of one extraction and outlive every reference the
// library takes, so references are counted but never free anything.
#pragma once

#include "CodecInterfaces.h"

#include <cstdint>
#include <type_traits>

template <typename... Interfaces>
class CodecObject : public Interfaces... {
 public:
  sevenzip::HResult KVR_COMCALL QueryInterface(const sevenzip::Guid& iid, void** object) override {
    *object = find<Interfaces...>(iid);
    if (*object == nullptr) return sevenzip::kNoInterface;
    AddRef();
    return sevenzip::kOk;
  }
  std::uint32_t KVR_COMCALL AddRef() override { return ++m_references; }
  std::uint32_t KVR_COMCALL Release() override { return --m_references; }

 protected:
  CodecObject() = default;
  ~CodecObject() = default;
  CodecObject(const CodecObject&) = delete;
  CodecObject& operator=(const CodecObject&) = delete;

 private:
  template <typename Interface>
  static bool answers(const sevenzip::Guid& iid) {
    if (iid == Interface::kIid) return true;
    if constexpr (std::is_same_v<Interface, sevenzip::IUnknown>)
      return false;
    else
      return answers<typename Interface::Base>(iid);
  }

  template <typename First, typename... Rest>
  void* find(const sevenzip::Guid& iid) {
    if (answers<First>(iid)) return static_cast<First*>(this);
    if constexpr (sizeof...(Rest) == 0)
      return nullptr;
    else
      return find<Rest...>(iid);
  }

  std::uint32_t m_references = 1;
};
