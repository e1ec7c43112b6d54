// The login view on the WebBrowser control. Wine's control has no engine: it fires
// BeforeNavigate2 inside Navigate2 and then loads nothing. So the rest is driven through
// COM as the control drives its host: the site's GetExternal, the script object by name,
// and the DWebBrowserEvents2 sink's Invoke.
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <oleauto.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "LauncherLogLines.h"
#include "LoginView.h"
#include "delivery/PackageWorker.h"
#include "framework/HtmlViewNative_win.h"
#include "framework/WndNative_win.h"

namespace {

// window.external as the control gets it: from the site it was given, through its
// IDocHostUIHandler.
IDispatch* externalOf(CHtmlView& view) {
  IOleObject* ole = nullptr;
  IOleClientSite* site = nullptr;
  IDocHostUIHandler* host = nullptr;
  IDispatch* external = nullptr;
  if (SUCCEEDED(GetNativeBrowser(view)->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole))) &&
      SUCCEEDED(ole->GetClientSite(&site)) && site != nullptr &&
      SUCCEEDED(site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&host))))
    host->GetExternal(&external);
  if (host != nullptr) host->Release();
  if (site != nullptr) site->Release();
  if (ole != nullptr) ole->Release();
  return external;
}

DISPID idOf(IDispatch* object, const wchar_t* name, HRESULT* result = nullptr) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (result != nullptr) *result = hr;
  return id;
}

// A VARIANT holding a copy of `text`; VariantClear frees it.
VARIANT textVariant(const wchar_t* text) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(text);
  return value;
}

// The event `id` with `args` (last parameter first), fired at the view's sink as the control fires it.
void fireEvent(CHtmlView& view, DISPID id, VARIANT* args, UINT count) {
  DISPPARAMS params{args, nullptr, count, 0};
  GetBrowserEventSink(view)->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

// A script call with one string argument; the answer's type and value, or the failure.
struct Answer {
  HRESULT result;
  VARTYPE type;
  bool value;
};
Answer call(IDispatch* object, DISPID id, const wchar_t* text, UINT count = 1) {
  VARIANT argument = textVariant(text);
  DISPPARAMS params{&argument, nullptr, count, 0};
  VARIANT answer;
  VariantInit(&answer);
  const HRESULT hr =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &answer, nullptr, nullptr);
  VariantClear(&argument);
  const Answer result{hr, V_VT(&answer), V_VT(&answer) == VT_BOOL && V_BOOL(&answer) != VARIANT_FALSE};
  VariantClear(&answer);
  return result;
}

// DocumentComplete(pDisp, URL), as the control fires it.
void fireDocumentComplete(CHtmlView& view, const wchar_t* url) {
  VARIANT address = textVariant(url);
  VARIANT args[2];
  V_VT(&args[0]) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&args[0]) = &address;
  V_VT(&args[1]) = VT_DISPATCH;
  V_DISPATCH(&args[1]) = GetNativeBrowser(view);
  fireEvent(view, DISPID_DOCUMENTCOMPLETE, args, 2);
  VariantClear(&address);
}

// NewWindow2(ppDisp, Cancel): the browser the new window goes to, and the cancel flag.
std::pair<IDispatch*, bool> fireNewWindow(CHtmlView& view) {
  IDispatch* target = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[2];
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &cancel;
  V_VT(&args[1]) = VT_DISPATCH | VT_BYREF;
  V_DISPATCHREF(&args[1]) = &target;
  fireEvent(view, DISPID_NEWWINDOW2, args, 2);
  return {target, cancel != VARIANT_FALSE};
}

// BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel): whether
// the view cancelled it.
bool fireBeforeNavigate(CHtmlView& view, const wchar_t* url) {
  VARIANT address = textVariant(url);
  VARIANT empty;
  VariantInit(&empty);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[7];
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &cancel;
  for (int i = 1; i <= 4; ++i) {
    V_VT(&args[i]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[i]) = &empty;
  }
  V_VT(&args[5]) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&args[5]) = &address;
  V_VT(&args[6]) = VT_DISPATCH;
  V_DISPATCH(&args[6]) = GetNativeBrowser(view);
  fireEvent(view, DISPID_BEFORENAVIGATE2, args, 7);
  VariantClear(&address);
  return cancel != VARIANT_FALSE;
}

IUnknown* identity(IUnknown* object) {
  IUnknown* unknown = nullptr;
  if (object != nullptr) object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
  if (unknown != nullptr) unknown->Release();  // the object stays alive through `object`
  return unknown;
}

struct BoxSearch {
  const std::wstring* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK matchBox(HWND hWnd, LPARAM data) {
  auto& search = *reinterpret_cast<BoxSearch*>(data);
  wchar_t className[16] = {};
  wchar_t title[64] = {};
  GetClassNameW(hWnd, className, 16);
  GetWindowTextW(hWnd, title, 64);
  if (IsWindowVisible(hWnd) && std::wstring(className) == L"#32770" && *search.caption == title)
    search.found.push_back(hWnd);
  return TRUE;
}

// The visible boxes captioned `caption`, whichever thread shows them.
std::vector<HWND> boxesTitled(const std::wstring& caption) {
  BoxSearch search{&caption, {}};
  EnumWindows(matchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct LoginViewControl : LoginViewRun {
  void SetUp() override { start(-77); }
};

}  // namespace

TEST_F(LoginViewControl, HooksAndScriptObject) {
  ViewDialog dialog(options, config, system);
  int32_t ownerNumber = 0;
  IDispatch* external = nullptr;
  size_t navigationsBefore = 0;
  runWithDriver(dialog, [&](ViewDialog& d) {
    onUi(d, [&] {
      ownerNumber = static_cast<int32_t>(reinterpret_cast<intptr_t>(GetNativeWindow(d)));
      ASSERT_TRUE(d.m_bCreated);
      ASSERT_TRUE(d.m_view.HasBrowser());
      // The real control's before-navigate, fired inside Navigate2: the first page is string 148.
      EXPECT_EQ(d.m_view.navigations, std::vector<std::wstring>{loginUrl});

      // The page and a frame complete: each raises the owner and reports.
      fireDocumentComplete(d.m_view, L"http://127.0.0.1:18480/kvr/login/notice.html");
      fireDocumentComplete(d.m_view, loginUrl.c_str());
      EXPECT_EQ(system.count("queue web_load"), 2u);
      EXPECT_TRUE(IsWindowVisible(GetNativeWindow(d)));
      EXPECT_EQ(GetWindowLongW(GetNativeWindow(d), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "topmost on and off again";

      // Two new-window requests: one popup view, whose control takes both.
      const auto [first, firstCancel] = fireNewWindow(d.m_view);
      CBaseHtmlView* popup = d.m_view.m_pPopupView.get();
      const auto [second, secondCancel] = fireNewWindow(d.m_view);
      ASSERT_NE(popup, nullptr);
      EXPECT_EQ(d.m_view.m_pPopupView.get(), popup);
      EXPECT_TRUE(popup->m_bOpenExternal);
      EXPECT_EQ(popup->m_pOwner, nullptr);
      EXPECT_FALSE(IsWindowVisible(GetNativeWindow(*popup)));
      EXPECT_EQ(GetDlgCtrlID(GetNativeWindow(*popup)), 10000);
      IDispatch* application = nullptr;
      ASSERT_TRUE(SUCCEEDED(GetNativeBrowser(*popup)->get_Application(&application)));
      EXPECT_NE(first, nullptr);
      EXPECT_EQ(identity(first), identity(application));
      EXPECT_EQ(identity(second), identity(application));
      EXPECT_FALSE(firstCancel);
      EXPECT_FALSE(secondCancel);
      for (IDispatch* object : {first, second, application})
        if (object != nullptr) object->Release();

      // The popup's navigations: cancelled, web addresses to the default browser, others refused.
      EXPECT_TRUE(fireBeforeNavigate(*popup, L"http://127.0.0.1:18480/kvr/login/notice.html"));
      EXPECT_TRUE(fireBeforeNavigate(*popup, L"HTTPS://example.test/help"));
      EXPECT_TRUE(fireBeforeNavigate(*popup, L"file:///C:/windows/notepad.exe"));
      EXPECT_TRUE(fireBeforeNavigate(*popup, L"ms-settings:privacy"));
      // The login view's own navigations go on, and nothing goes to the default browser.
      EXPECT_FALSE(fireBeforeNavigate(d.m_view, L"http://127.0.0.1:18480/kvr/login/notice.html"));
      EXPECT_EQ(system.count("open http://127.0.0.1:18480/kvr/login/notice.html"), 1u);
      EXPECT_EQ(system.count("open HTTPS://example.test/help"), 1u);
      EXPECT_EQ(std::count_if(system.calls.begin(), system.calls.end(),
                              [](const std::string& c) { return c.rfind("open ", 0) == 0; }),
                2);

      // window.external: AppLogin by name (any case), dispatch id 1, one string, a boolean.
      external = externalOf(d.m_view);
      ASSERT_NE(external, nullptr);
      EXPECT_EQ(idOf(external, L"AppLogin"), 1);
      EXPECT_EQ(idOf(external, L"applogin"), 1);
      HRESULT unknown = S_OK;
      idOf(external, L"Navigate", &unknown);
      EXPECT_EQ(unknown, DISP_E_UNKNOWNNAME);
      EXPECT_EQ(call(external, 1, L"cGxheWVyMQ==", 0).result, DISP_E_BADPARAMCOUNT);
      EXPECT_EQ(call(external, 2, L"cGxheWVyMQ==").result, DISP_E_MEMBERNOTFOUND);

      // The package work still runs: the box, the page again, false.
      navigationsBefore = d.m_view.navigations.size();
      const Answer missing = call(external, 1, L"cGxheWVyMQ==");
      EXPECT_EQ(missing.result, S_OK);
      EXPECT_EQ(missing.type, VT_BOOL);
      EXPECT_FALSE(missing.value);
      EXPECT_EQ(system.count("box 游戏正在下载 | 来自网页的消息"), 1u);
    });
    // Wine's control fires the before-navigate of a later navigation from its message queue.
    ASSERT_NE(external, nullptr);
    EXPECT_TRUE(waitOnUi(d, [&] { return d.m_view.navigations.size() == navigationsBefore + 1; })) << "reloaded";
    onUi(d, [&] {
      EXPECT_EQ(d.m_view.navigations.back(), loginUrl);

      // Installed: started, reported, the page again, the owner destroyed, true.
      g_downloadFinished = true;
      const Answer started = call(external, 1, L"cGxheWVyMQ==");
      EXPECT_EQ(started.result, S_OK);
      EXPECT_EQ(started.type, VT_BOOL);
      EXPECT_TRUE(started.value);
      EXPECT_FALSE(IsWindow(GetNativeWindow(d)));
      // A call that reaches the script object after its view's window has gone is refused.
      EXPECT_EQ(call(external, 1, L"cGxheWVyMQ==").result, E_UNEXPECTED);
      external->Release();
    });
  });

  const std::string line = "./kvr/game/kvr.exe cGxheWVyMQ== -77 " + std::to_string(ownerNumber) + " end";
  const auto start = std::find(system.calls.begin(), system.calls.end(), "start ./kvr/game/kvr.exe | " + line);
  ASSERT_NE(start, system.calls.end()) << line;
  ASSERT_LT(start + 1, system.calls.end());
  EXPECT_EQ(*(start + 1), "report game_start");
  const std::vector<std::string> lines = stopAndReadLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "popup url refused:file:///C:/windows/notepad.exe"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "popup url refused:ms-settings:privacy"), lines.end());
}

// Enter and Escape typed into the page are the page's: the dialog manager never makes them
// the dialog's OK or Cancel.
TEST_F(LoginViewControl, KeysInThePageAreThePages) {
  ViewDialog dialog(options, config, system);
  runWithDriver(dialog, [&](ViewDialog& d) {
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Escape");
      onUi(d, [&] {
        const HWND page = GetWindow(GetNativeWindow(d.m_view), GW_CHILD);
        ASSERT_NE(page, nullptr) << "the control's own window";
        SetFocus(page);
        PostMessageW(page, WM_KEYDOWN, key, 1);
        PostMessageW(page, WM_KEYUP, key, 0xC0000001);
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      ASSERT_TRUE(d.GetUiThreadChannel()->isOpen()) << "the key in the page ended the dialog";
    }
  });
}

// A box that is up (a worker's, on the worker's thread) is not stacked when asked for
// again, and a page that completes meanwhile raises the window without taking the box's
// keyboard focus.
TEST_F(LoginViewControl, BoxUpIsSingleAndKeepsTheKeyboard) {
  const std::wstring caption = L"来自网页的消息", text = L"游戏正在下载，请稍后关闭";
  ViewDialog dialog(options, config, system);
  runWithDriver(dialog, [&](ViewDialog& d) {
    auto first = std::async(std::launch::async, [&] { d.GetUiThreadChannel()->warningBox(text, caption); });
    const auto shown = [&] { return boxesTitled(caption).size() == 1; };
    for (int i = 0; i < 100 && !shown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(shown()) << "the box did not come up";
    auto again = std::async(std::launch::async, [&] { d.GetUiThreadChannel()->warningBox(text, caption); });
    EXPECT_EQ(again.wait_for(std::chrono::seconds(3)), std::future_status::ready)
        << "the second call waits on a second box";
    EXPECT_EQ(boxesTitled(caption).size(), 1u);

    onUi(d, [&] { fireDocumentComplete(d.m_view, loginUrl.c_str()); });
    const std::vector<HWND> up = boxesTitled(caption);
    const HWND box = up.empty() ? nullptr : up.back();
    for (int i = 0; i < 40 && GetForegroundWindow() != box; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(GetForegroundWindow(), box) << "the box lost the keyboard to the window";
    EXPECT_EQ(system.count("queue web_load"), 1u);

    // Every box dismissed, a stacked one too, so that both calls end.
    for (int i = 0; i < 100 && !boxesTitled(caption).empty(); ++i) {
      for (const HWND open : boxesTitled(caption)) PostMessageW(open, WM_COMMAND, IDOK, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(first.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(again.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  });
}
