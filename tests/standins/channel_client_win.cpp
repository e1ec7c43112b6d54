// Stand-in for the channel client: owns a top-level window, prints its id, writes down every
// copy-data record it receives and ends after the given time.
//   channel_client RECORD_FILE TIME_LIMIT_MS [hang]
// With "hang" its thread never takes a message: a client whose window has stopped responding.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CopyDataRecord.h"

namespace {

std::string g_recordPath;

LRESULT CALLBACK clientWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      // The sender waits in SendMessage until this returns, so the line is on disk when it goes on.
      appendLine(g_recordPath, formatCopyDataRecord(static_cast<uint32_t>(record->dwData), static_cast<int32_t>(wParam),
                                                    static_cast<const uint8_t*>(record->lpData), record->cbData));
      return TRUE;
    }
    case WM_TIMER: DestroyWindow(hWnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hWnd, message, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "hang")) {
    std::fprintf(stderr, "usage: channel_client RECORD_FILE TIME_LIMIT_MS [hang]\n");
    return 2;
  }
  g_recordPath = argv[1];
  const auto timeLimitMs = static_cast<UINT>(std::strtoul(argv[2], nullptr, 10));

  const HINSTANCE hInstance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = clientWndProc;
  windowClass.hInstance = hInstance;
  windowClass.lpszClassName = L"KvrChannelClientStandin";
  if (RegisterClassW(&windowClass) == 0) return 1;
  const HWND hWnd = CreateWindowExW(0, windowClass.lpszClassName, L"channel client", WS_OVERLAPPEDWINDOW, 0, 0, 320,
                                    200, nullptr, nullptr, hInstance, nullptr);
  if (hWnd == nullptr) return 1;
  ShowWindow(hWnd, SW_SHOWNOACTIVATE);
  SetTimer(hWnd, 1, timeLimitMs, nullptr);
  std::printf("%ld\n", static_cast<long>(reinterpret_cast<INT_PTR>(hWnd)));
  std::fflush(stdout);

  if (argc == 4) {
    Sleep(timeLimitMs);
    return 0;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
