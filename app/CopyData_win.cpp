#include "CopyData.h"

#include <windows.h>

bool sendCopyData(int32_t windowId, uint32_t dwData, const std::vector<uint8_t>& payload) {
  const HWND hWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(windowId));
  if (hWnd == nullptr || !IsWindow(hWnd)) return false;
  COPYDATASTRUCT record{};
  record.dwData = dwData;
  record.cbData = static_cast<DWORD>(payload.size());
  // WM_COPYDATA hands the receiver a read-only copy; the cast only satisfies the record's type.
  record.lpData = payload.empty() ? nullptr : const_cast<uint8_t*>(payload.data());
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hWnd, WM_COPYDATA, static_cast<WPARAM>(static_cast<INT_PTR>(windowId)),
                             reinterpret_cast<LPARAM>(&record), SMTO_ABORTIFHUNG,
                             static_cast<UINT>(kCopyDataTimeout.count()), &result) != 0;
}
