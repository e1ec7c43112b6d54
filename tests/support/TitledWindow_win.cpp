#include <windows.h>

#include <future>
#include <thread>

#include "TitledWindow.h"

// The window lives on a thread of its own that pumps messages: another process that
// shows or raises it waits until its thread has handled the request.
struct TitledWindow::Impl {
  std::thread thread;
  DWORD threadId = 0;
  HWND window = nullptr;
};

TitledWindow::TitledWindow(const std::string& title) : m_impl(std::make_unique<Impl>()) {
  std::promise<HWND> created;
  std::future<HWND> window = created.get_future();
  const std::wstring wide(title.begin(), title.end());  // ASCII titles only
  m_impl->thread = std::thread([&created, wide, impl = m_impl.get()] {
    impl->threadId = GetCurrentThreadId();
    HWND handle = CreateWindowExW(0, L"STATIC", wide.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    created.set_value(handle);
    if (handle == nullptr) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    DestroyWindow(handle);
  });
  m_impl->window = window.get();
}

TitledWindow::~TitledWindow() {
  if (m_impl->window != nullptr) PostThreadMessageW(m_impl->threadId, WM_QUIT, 0, 0);
  m_impl->thread.join();
}

bool TitledWindow::shown() const { return m_impl->window != nullptr; }
