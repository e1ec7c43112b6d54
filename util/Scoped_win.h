// Windows resources owned by a scope: a COM interface pointer and a kernel handle, each
// released once, when its owner goes, so no path of the code releases one by hand.
#pragma once

#include <windows.h>

#include <utility>

// One reference to a COM object (or any object counted by AddRef and Release). Taking
// a pointer adopts the reference it carries; `retain` adds one of its own.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* adopted) : m_p(adopted) {}
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      m_p = std::exchange(other.m_p, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  static ComPtr retain(T* p) {
    if (p != nullptr) p->AddRef();
    return ComPtr(p);
  }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

  // For a call that hands out a reference: the one held so far is released first.
  T** put() {
    reset();
    return &m_p;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }

  void reset() {
    if (m_p != nullptr) std::exchange(m_p, nullptr)->Release();
  }

 private:
  T* m_p = nullptr;
};

// A kernel handle closed with CloseHandle; null and INVALID_HANDLE_VALUE hold nothing.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
  ~ScopedHandle() { close(); }
  ScopedHandle(ScopedHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      close();
      m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return m_handle; }
  bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

  // Closes the handle now; false when there was none or closing failed (a write can
  // report its failure only there).
  bool close() {
    if (!valid()) return false;
    return CloseHandle(std::exchange(m_handle, nullptr)) != 0;
  }

 private:
  HANDLE m_handle = nullptr;
};
