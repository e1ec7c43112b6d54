#include <windows.h>

#include <cstring>

#include "Resources.h"

std::wstring LoadResourceText(unsigned id) {
  wchar_t buffer[100];
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 100);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::span<const unsigned char> LoadResourceBytes(unsigned id, const char* type) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const std::wstring wideType(type, type + strlen(type));  // type names are ASCII
  const HRSRC found = FindResourceW(module, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)), wideType.c_str());
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (data == nullptr || size == 0) return {};
  return {static_cast<const unsigned char*>(data), size};
}
