#include "framework/FrameworkImpl_win.h"

#include <mutex>

#include "framework/UiThreadChannel.h"

struct UiThreadChannel::Impl {
  mutable std::mutex mutex;
  HWND hWnd = nullptr;
  DWORD uiThread = GetCurrentThreadId();
  bool open = true;
};

namespace {

struct SentTask {
  const std::function<void()>* fn;
  bool ran = false;
};

}  // namespace

void bindChannel(UiThreadChannel& channel, HWND hWnd) {
  UiThreadChannel::Impl& impl = ChannelAccess::impl(channel);
  std::lock_guard lock(impl.mutex);
  impl.hWnd = hWnd;
  impl.uiThread = GetWindowThreadProcessId(hWnd, nullptr);
}

void runSentTask(UiThreadChannel& channel, LPARAM data) {
  auto* task = reinterpret_cast<SentTask*>(data);
  if (!channel.isOpen()) return;
  (*task->fn)();
  task->ran = true;
}

UiThreadChannel::UiThreadChannel() : m_impl(std::make_unique<Impl>()) {}

UiThreadChannel::~UiThreadChannel() = default;

bool UiThreadChannel::runOnUiThread(const std::function<void()>& fn) {
  HWND hWnd = nullptr;
  {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->open || m_impl->hWnd == nullptr) return false;
    hWnd = m_impl->hWnd;
  }
  if (GetCurrentThreadId() == m_impl->uiThread) {
    fn();
    return true;
  }
  // A sent message: the UI thread runs it between its own messages (also inside a message
  // box's loop) while this thread waits. A window gone meanwhile takes nothing.
  SentTask task{&fn};
  SendMessageW(hWnd, kRunOnUiThreadMessage, 0, reinterpret_cast<LPARAM>(&task));
  return task.ran;
}

void UiThreadChannel::warningBox(const std::wstring& text, const std::wstring& caption) {
  // An ownerless box belongs to the thread that shows it: it blocks the caller only.
  if (isOpen()) runMessageBox(text, caption, MB_ICONWARNING);
}

void UiThreadChannel::close() {
  std::lock_guard lock(m_impl->mutex);
  m_impl->open = false;
}

bool UiThreadChannel::isOpen() const {
  std::lock_guard lock(m_impl->mutex);
  return m_impl->open;
}
