#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "BoxCloser.h"

namespace {

std::wstring widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string narrow(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                      nullptr);
  return result;
}

}  // namespace

struct BoxCloser::Impl {
  std::wstring caption;
  std::atomic<bool> stop{false};
  mutable std::mutex lock;
  std::vector<std::string> closed;
  std::thread thread;

  void run() {
    HWND last = nullptr;
    while (!stop) {
      // A message box is a dialog of the system's dialog class.
      HWND box = FindWindowW(L"#32770", caption.c_str());
      if (box != nullptr && box != last) {
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's static text
        {
          std::lock_guard<std::mutex> guard(lock);
          closed.push_back(narrow(text));
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        last = box;
      }
      Sleep(50);
    }
  }
};

BoxCloser::BoxCloser(const std::string& caption) : m_impl(std::make_unique<Impl>()) {
  m_impl->caption = widen(caption);
  m_impl->thread = std::thread([impl = m_impl.get()] { impl->run(); });
}

BoxCloser::~BoxCloser() {
  m_impl->stop = true;
  m_impl->thread.join();
}

std::vector<std::string> BoxCloser::closed() const {
  std::lock_guard<std::mutex> guard(m_impl->lock);
  return m_impl->closed;
}
