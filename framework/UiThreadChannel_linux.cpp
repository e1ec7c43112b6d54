#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "framework/UiThreadChannel.h"
#include "framework/FrameworkImpl_linux.h"

namespace {

// How long a caller waits for the UI thread to pick its function up. The UI thread never
// waits for another thread, so this only ends a wait on a loop that has stopped turning.
constexpr std::chrono::seconds kPickUpTimeout{10};

enum class TaskState { Pending, Running, Done, Cancelled };

struct State {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = true;
};

// Shared by the caller and the idle callback: either may be the last to let go.
struct Task {
  std::shared_ptr<State> state;
  const std::function<void()>* fn;  // the caller's; used only while the caller waits
  TaskState taskState = TaskState::Pending;
};

gboolean runTask(gpointer data) {
  const std::shared_ptr<Task>& task = *static_cast<std::shared_ptr<Task>*>(data);
  State& state = *task->state;
  {
    std::lock_guard lock(state.mutex);
    if (task->taskState != TaskState::Pending) return G_SOURCE_REMOVE;
    task->taskState = state.open ? TaskState::Running : TaskState::Cancelled;
  }
  if (task->taskState == TaskState::Running) (*task->fn)();
  {
    std::lock_guard lock(state.mutex);
    if (task->taskState == TaskState::Running) task->taskState = TaskState::Done;
  }
  state.changed.notify_all();
  return G_SOURCE_REMOVE;
}

void releaseTask(gpointer data) { delete static_cast<std::shared_ptr<Task>*>(data); }

}  // namespace

struct UiThreadChannel::Impl {
  std::shared_ptr<State> state = std::make_shared<State>();
  std::thread::id uiThread = std::this_thread::get_id();
  GtkWidget* box = nullptr;  // a box shown for another thread; UI thread only
};

UiThreadChannel::UiThreadChannel() : m_impl(std::make_unique<Impl>()) {}

UiThreadChannel::~UiThreadChannel() { close(); }

bool UiThreadChannel::runOnUiThread(const std::function<void()>& fn) {
  if (std::this_thread::get_id() == m_impl->uiThread) {
    if (!isOpen()) return false;
    fn();
    return true;
  }
  State& state = *m_impl->state;
  auto task = std::make_shared<Task>(Task{m_impl->state, &fn, TaskState::Pending});
  if (!isOpen()) return false;
  g_idle_add_full(G_PRIORITY_DEFAULT, runTask, new std::shared_ptr<Task>(task), releaseTask);

  std::unique_lock lock(state.mutex);
  const auto deadline = std::chrono::steady_clock::now() + kPickUpTimeout;
  for (;;) {
    switch (task->taskState) {
      case TaskState::Done: return true;
      case TaskState::Cancelled: return false;
      case TaskState::Running:
        // Once started, the function runs to its end with the caller's data: wait for it.
        state.changed.wait(lock);
        break;
      case TaskState::Pending:
        if (!state.open || std::chrono::steady_clock::now() >= deadline) {
          task->taskState = TaskState::Cancelled;
          return false;
        }
        state.changed.wait_until(lock, deadline);
        break;
    }
  }
}

void UiThreadChannel::warningBox(const std::wstring& text, const std::wstring& caption) {
  // GTK belongs to the UI thread: the box is shown there, and the caller waits until it is
  // dismissed. The UI thread keeps turning meanwhile (the box runs a loop of its own).
  runOnUiThread([&] { runWarningBox(text, caption, &m_impl->box); });
}

void UiThreadChannel::close() {
  // A box shown for another thread belongs to the window's time: it goes with it, and its
  // caller stops waiting.
  if (std::this_thread::get_id() == m_impl->uiThread && m_impl->box != nullptr) gtk_widget_destroy(m_impl->box);
  State& state = *m_impl->state;
  {
    std::lock_guard lock(state.mutex);
    state.open = false;
  }
  state.changed.notify_all();
}

bool UiThreadChannel::isOpen() const {
  std::lock_guard lock(m_impl->state->mutex);
  return m_impl->state->open;
}
