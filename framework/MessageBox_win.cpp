#include <windows.h>

#include <mutex>
#include <optional>
#include <vector>

#include "framework/FrameworkImpl_win.h"
#include "framework/MessageBox.h"

namespace {

struct OpenBox {
  std::wstring text, caption;
  DWORD thread;  // the thread that shows it: its window is among that thread's windows
  unsigned id;
};

// The boxes up now, oldest first, whichever thread shows them (a worker's box belongs to
// the worker).
struct OpenBoxes {
  std::mutex mutex;
  std::vector<OpenBox> boxes;
  unsigned nextId = 0;
};

OpenBoxes& openBoxes() {
  static OpenBoxes open;
  return open;
}

// The message of a box: its static control that holds text.
BOOL CALLBACK takeStaticText(HWND child, LPARAM data) {
  wchar_t className[16] = {};
  GetClassNameW(child, className, 16);
  const int length = GetWindowTextLengthW(child);
  if (lstrcmpiW(className, L"Static") != 0 || length == 0) return TRUE;
  std::wstring& text = *reinterpret_cast<std::wstring*>(data);
  text.resize(static_cast<size_t>(length) + 1);
  text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), length + 1)));
  return FALSE;
}

struct BoxSearch {
  const OpenBox* box;
  HWND found;
};

BOOL CALLBACK matchBox(HWND hWnd, LPARAM data) {
  auto& search = *reinterpret_cast<BoxSearch*>(data);
  wchar_t className[16] = {};
  GetClassNameW(hWnd, className, 16);
  std::wstring title(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
  title.resize(static_cast<size_t>(GetWindowTextW(hWnd, title.data(), static_cast<int>(title.size()))));
  if (lstrcmpW(className, L"#32770") != 0 || title != search.box->caption) return TRUE;
  std::wstring text;
  EnumChildWindows(hWnd, takeStaticText, reinterpret_cast<LPARAM>(&text));
  if (text != search.box->text) return TRUE;
  search.found = hWnd;
  return FALSE;
}

// The window of a box this thread shows; none while it is being made.
HWND windowOf(const OpenBox& box) {
  BoxSearch search{&box, nullptr};
  EnumThreadWindows(box.thread, matchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int runMessageBox(const std::wstring& text, const std::wstring& caption, UINT type) {
  OpenBoxes& open = openBoxes();
  std::optional<OpenBox> same;
  unsigned id = 0;
  {
    std::lock_guard lock(open.mutex);
    for (const OpenBox& box : open.boxes)
      if (box.text == text && box.caption == caption) same = box;
    if (!same) {
      id = open.nextId++;
      open.boxes.push_back({text, caption, GetCurrentThreadId(), id});
    }
  }
  // The same box again (close pressed twice) would stack a copy: the one up comes forward.
  // Its window is looked for outside the lock: reading a window's text sends it a message.
  if (same) {
    if (const HWND window = windowOf(*same)) SetForegroundWindow(window);
    return 0;
  }
  const int answer = MessageBoxW(nullptr, text.c_str(), caption.c_str(), type);
  std::lock_guard lock(open.mutex);
  std::erase_if(open.boxes, [id](const OpenBox& box) { return box.id == id; });
  return answer;
}

HWND newestBoxUp() {
  std::vector<OpenBox> boxes;
  {
    std::lock_guard lock(openBoxes().mutex);
    boxes = openBoxes().boxes;
  }
  for (auto box = boxes.rbegin(); box != boxes.rend(); ++box)
    if (const HWND window = windowOf(*box)) return window;
  return nullptr;
}

void AfxWarningBox(const std::wstring& text, const std::wstring& caption) {
  runMessageBox(text, caption, MB_ICONWARNING);
}

bool AfxQuestionBox(const std::wstring& text, const std::wstring& caption) {
  return runMessageBox(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
