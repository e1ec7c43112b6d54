#include "framework/WndNative_win.h"

#include <atomic>
#include <future>
#include <thread>

#include "WindowProbe.h"
#include "framework/CDialogEx.h"
#include "util/Utf8.h"

namespace {

BOOL CALLBACK takeStaticText(HWND child, LPARAM data) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  wchar_t buffer[256] = {};
  GetWindowTextW(child, buffer, 256);
  if (_wcsicmp(className, L"Static") != 0 || buffer[0] == 0) return TRUE;
  *reinterpret_cast<std::wstring*>(data) = buffer;
  return FALSE;
}

// The box's message: its static control that holds text.
std::wstring boxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, takeStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

struct BoxSearch {
  HWND dialog;
  const std::wstring* caption;
  const std::wstring* text;
  HWND found;
};

BOOL CALLBACK matchBox(HWND hWnd, LPARAM data) {
  auto* search = reinterpret_cast<BoxSearch*>(data);
  wchar_t className[64] = {};
  wchar_t title[64] = {};
  GetClassNameW(hWnd, className, 64);
  GetWindowTextW(hWnd, title, 64);
  if (hWnd == search->dialog || !IsWindowVisible(hWnd) || std::wstring(className) != L"#32770" ||
      *search->caption != title || boxText(hWnd) != *search->text)
    return TRUE;
  search->found = hWnd;
  return FALSE;
}

HWND findBox(HWND dialog, const std::wstring& caption, const std::wstring& text) {
  BoxSearch search{dialog, &caption, &text, nullptr};
  EnumWindows(matchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void mouseButton(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

}  // namespace

WindowFacts windowFacts(CDialogEx& dialog) {
  WindowFacts facts;
  const HWND hWnd = GetNativeWindow(dialog);
  RECT rect{};
  GetWindowRect(hWnd, &rect);
  facts.rect = {rect.left, rect.top, rect.right, rect.bottom};
  wchar_t title[128] = {};
  GetWindowTextW(hWnd, title, 128);
  facts.title = toUtf8(title);
  facts.topMost = (GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  facts.hasIcon =
      SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0) != 0 && SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0) != 0;
  return facts;
}

std::string windowId(CDialogEx& dialog) { return std::to_string(reinterpret_cast<INT_PTR>(GetNativeWindow(dialog))); }

Rgb screenPixel(CPoint point) {
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

std::vector<Rgb> screenPixels(const CRect& rect) {
  std::vector<Rgb> pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = rect.Width();
  info.bmiHeader.biHeight = -rect.Height();  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory != nullptr && bitmap != nullptr) {
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, rect.Width(), rect.Height(), screen, rect.left, rect.top, SRCCOPY)) {
      GdiFlush();
      const auto* bgra = static_cast<const uint8_t*>(bits);
      for (int i = 0; i < rect.Width() * rect.Height(); ++i)
        pixels.push_back({bgra[i * 4 + 2], bgra[i * 4 + 1], bgra[i * 4]});
    }
    SelectObject(memory, previous);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

void clickAt(CPoint point) {
  SetCursorPos(point.x, point.y);
  pause();
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  mouseButton(MOUSEEVENTF_LEFTUP);
  pause();
}

void dragFrom(CPoint from, CPoint to) {
  SetCursorPos(from.x, from.y);
  pause();
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  pause();
  for (int step = 1; step <= 10; ++step) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (to.x - from.x) / 10;
    input.mi.dy = (to.y - from.y) / 10;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    pause();
  }
  mouseButton(MOUSEEVENTF_LEFTUP);
  pause();
}

void pressKey(CDialogEx& dialog, Key key) {
  // The key as the dialog's loop receives it while one of its controls has the focus.
  const HWND control = GetDlgItem(GetNativeWindow(dialog), 1004);
  const WPARAM virtualKey = key == Key::Escape ? VK_ESCAPE : VK_RETURN;
  PostMessageW(control, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(control, WM_KEYUP, virtualKey, 0xC0000001);
  pause();
}

bool waitForBox(CDialogEx& dialog, const std::wstring& caption, const std::wstring& text,
                std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    if (findBox(GetNativeWindow(dialog), caption, text) != nullptr) return true;
    pause();
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

namespace {

bool dismiss(HWND box, WPARAM button = IDOK) {
  if (box == nullptr) return false;
  PostMessageW(box, WM_COMMAND, button, 0);
  for (int i = 0; i < 100 && IsWindow(box); ++i) pause();
  return true;
}

}  // namespace

bool dismissBox(CDialogEx& dialog, const std::wstring& caption, const std::wstring& text) {
  return dismiss(findBox(GetNativeWindow(dialog), caption, text));
}

bool answerBox(CDialogEx& dialog, const std::wstring& caption, const std::wstring& text, bool yes) {
  return dismiss(findBox(GetNativeWindow(dialog), caption, text), yes ? IDYES : IDNO);
}

bool dismissOrphanBox(const std::wstring& caption, const std::wstring& text) {
  return dismiss(findBox(nullptr, caption, text));
}

struct Backdrop::Impl {
  std::thread thread;
  DWORD threadId = 0;
  std::atomic<int> clicks{0};
};

namespace {

Backdrop::Impl* g_backdrop = nullptr;

LRESULT CALLBACK backdropProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN && g_backdrop != nullptr) ++g_backdrop->clicks;
  return DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace

Backdrop::Backdrop() : m_impl(std::make_unique<Impl>()) {
  g_backdrop = m_impl.get();
  std::promise<void> shown;
  m_impl->thread = std::thread([&shown, impl = m_impl.get()] {
    impl->threadId = GetCurrentThreadId();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = backdropProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KvrTestBackdrop";
    windowClass.hbrBackground = CreateSolidBrush(RGB(kColour.red, kColour.green, kColour.blue));
    RegisterClassW(&windowClass);
    const HWND hWnd = CreateWindowExW(WS_EX_NOACTIVATE, windowClass.lpszClassName, L"backdrop", WS_POPUP | WS_VISIBLE,
                                      0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
    SetWindowPos(hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(hWnd);
    shown.set_value();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(hWnd);
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
  });
  shown.get_future().wait();
}

Backdrop::~Backdrop() {
  PostThreadMessageW(m_impl->threadId, WM_QUIT, 0, 0);
  m_impl->thread.join();
  g_backdrop = nullptr;
}

int Backdrop::clicks() const { return m_impl->clicks; }

std::vector<std::string> windowManagers() { return {"Windows"}; }

// The system manages every top-level window itself: nothing to start or end.
struct WindowManager::Impl {};

WindowManager::WindowManager(const std::string&) : m_impl(std::make_unique<Impl>()) {}

WindowManager::~WindowManager() = default;

bool WindowManager::running() const { return true; }

bool WindowManager::manages(CDialogEx&) const { return true; }
