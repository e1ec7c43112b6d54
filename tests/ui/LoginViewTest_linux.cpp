// The login view with the real engine: the local channel's login page, its frame and links,
// and window.external.AppLogin called by the page's own button.
#include <webkit2/webkit2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "FixtureServers.h"
#include "LauncherLogLines.h"
#include "LoginView.h"
#include "WindowProbe.h"
#include "delivery/PackageWorker.h"
#include "framework/WndNative_linux.h"

using namespace std::chrono_literals;

namespace {

// Runs page script in the view; a click from script is as good as the player's here.
void runScript(ViewDialog& dialog, const char* script) {
  onUi(dialog, [&] {
    webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(GetNativeWidget(dialog.m_view)), script, -1, nullptr, nullptr,
                                        nullptr, nullptr, nullptr);
  });
}

bool endsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The visible message boxes with this caption.
std::vector<GtkWidget*> boxesTitled(const std::string& caption) {
  std::vector<GtkWidget*> boxes;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWidget* widget = GTK_WIDGET(item->data);
    const gchar* title = gtk_window_get_title(GTK_WINDOW(widget));
    if (GTK_IS_MESSAGE_DIALOG(widget) && gtk_widget_get_visible(widget) && title != nullptr && caption == title)
      boxes.push_back(widget);
  }
  g_list_free(windows);
  return boxes;
}

// The icon names of the images inside `widget`.
void iconNames(GtkWidget* widget, std::vector<std::string>& names) {
  if (GTK_IS_IMAGE(widget)) {
    const gchar* name = nullptr;
    gtk_image_get_icon_name(GTK_IMAGE(widget), &name, nullptr);
    if (name != nullptr) names.push_back(name);
  }
  if (GTK_IS_CONTAINER(widget))
    gtk_container_forall(
        GTK_CONTAINER(widget),
        [](GtkWidget* child, gpointer out) { iconNames(child, *static_cast<std::vector<std::string>*>(out)); }, &names);
}

struct LoginViewPage : LoginViewRun {
  void SetUp() override { start(77); }
};

}  // namespace

TEST_F(LoginViewPage, PageFramesLinksAndLogIn) {
  ViewDialog dialog(options, config, system);
  const CBaseHtmlView* firstPopup = nullptr;
  runWithDriver(dialog, [&](ViewDialog& d) {
    // The page and its frame each complete once, frame first, and each raises the owner.
    ASSERT_TRUE(waitOnUi(d, [&] { return system.count("queue web_load") >= 2; })) << "the page did not load";
    onUi(d, [&] {
      EXPECT_TRUE(d.m_bCreated);
      ASSERT_FALSE(d.m_view.navigations.empty());
      EXPECT_EQ(d.m_view.navigations.front(), loginUrl);
      ASSERT_EQ(d.m_view.documents.size(), 2u);
      EXPECT_TRUE(endsWith(d.m_view.documents[0], L"/kvr/login/notice.html"));
      EXPECT_EQ(d.m_view.documents[1], loginUrl);
      EXPECT_TRUE(gtk_widget_get_visible(GetNativeWidget(d)));
    });

    // Two new-window requests: one popup view, two calls of the default browser. Not a web
    // address: refused. (Script may open windows only with this setting; a click would not need it.)
    onUi(d, [&] {
      webkit_settings_set_javascript_can_open_windows_automatically(
          webkit_web_view_get_settings(WEBKIT_WEB_VIEW(GetNativeWidget(d.m_view))), TRUE);
    });
    runScript(d, "document.getElementById('help').click();");
    ASSERT_TRUE(waitOnUi(d, [&] { return d.m_view.m_pPopupView != nullptr; }));
    onUi(d, [&] { firstPopup = d.m_view.m_pPopupView.get(); });
    runScript(d, "document.getElementById('help').click(); window.open('file:///etc/passwd');");
    const std::string opened = "open http://127.0.0.1:18480/kvr/login/notice.html";
    EXPECT_TRUE(waitOnUi(d, [&] { return system.count(opened) == 2; }));
    onUi(d, [&] {
      EXPECT_EQ(d.m_view.m_pPopupView.get(), firstPopup);
      EXPECT_FALSE(d.m_view.m_bOpenExternal);
      EXPECT_TRUE(d.m_view.m_pPopupView->m_bOpenExternal);
      EXPECT_EQ(d.m_view.documents.size(), 2u) << "the login view stays on its page";
    });

    // A plain link navigates inside the view; nothing goes to the default browser.
    runScript(d, "document.getElementById('news').click();");
    EXPECT_TRUE(waitOnUi(d, [&] { return d.m_view.documents.size() == 3; }));
    onUi(d, [&] { EXPECT_TRUE(endsWith(d.m_view.navigations.back(), L"/kvr/login/notice.html")); });
    runScript(d, "location.href = 'index.php';");
    EXPECT_TRUE(waitOnUi(d, [&] { return d.m_view.documents.size() == 5; }));

    // Logging in while the package work runs: the box, the page loaded again, no start.
    runScript(d, "document.getElementById('login').click();");
    EXPECT_TRUE(waitOnUi(d, [&] { return system.count("box 游戏正在下载 | 来自网页的消息") == 1; }));
    EXPECT_TRUE(waitOnUi(d, [&] { return d.m_view.documents.size() == 7; })) << "reloaded";

    // Installed: Enter in the form's field (real key input) logs in; the page has the key
    // before the dialog, whose Enter would close it. The game starts and the owner goes.
    g_downloadFinished = true;
    runScript(d, "document.getElementById('account').focus();");
    onUi(d, [&] { gtk_widget_grab_focus(GetNativeWidget(d.m_view)); });
    std::this_thread::sleep_for(200ms);
    pressKey(d, Key::Enter);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (d.GetUiThreadChannel()->isOpen() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(d.GetUiThreadChannel()->isOpen()) << "the owner was not destroyed";
  });

  const auto start = std::find_if(system.calls.begin(), system.calls.end(),
                                  [](const std::string& call) { return call.rfind("start ", 0) == 0; });
  ASSERT_NE(start, system.calls.end());
  EXPECT_EQ(start->rfind("start ./kvr/game/kvr.exe | ./kvr/game/kvr.exe cGxheWVyMQ== 77 ", 0), 0u) << *start;
  EXPECT_NE(start->find(" end"), std::string::npos);
  EXPECT_EQ(start->find(" 77 0 end"), std::string::npos) << "the owner's window id is in field 4";
  ASSERT_LT(start + 1, system.calls.end());
  EXPECT_EQ(*(start + 1), "report game_start");
  EXPECT_EQ(system.count("report game_start"), 1u);
  const std::vector<std::string> lines = stopAndReadLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "popup url refused:file:///etc/passwd"), lines.end());
}

// Keys the page itself leaves alone (real key input) are still the page's: they never end
// the dialog. Escape with the focus outside the page is the dialog's again.
TEST_F(LoginViewPage, KeysThePageLeavesAloneStayThePages) {
  struct Case {
    const char* name;
    const char* focus;  // page script that puts the page's focus somewhere
    Key key;
  };
  const Case cases[] = {
      {"Escape in the form's field", "document.getElementById('account').focus();", Key::Escape},
      {"Escape on the page", "document.activeElement.blur();", Key::Escape},
      {"Enter on the page, outside the form", "document.activeElement.blur();", Key::Enter},
  };
  ViewDialog dialog(options, config, system);
  runWithDriver(dialog, [&](ViewDialog& d) {
    ASSERT_TRUE(waitOnUi(d, [&] { return system.count("queue web_load") >= 2; })) << "the page did not load";
    g_downloadFinished = true;  // installed: the dialog's own keys would close it
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      runScript(d, c.focus);
      onUi(d, [&] { gtk_widget_grab_focus(GetNativeWidget(d.m_view)); });
      std::this_thread::sleep_for(200ms);
      pressKey(d, c.key);
      std::this_thread::sleep_for(500ms);
      ASSERT_TRUE(d.GetUiThreadChannel()->isOpen()) << "the key ended the dialog";
    }
    onUi(d, [&] { gtk_window_set_focus(GTK_WINDOW(GetNativeWidget(d)), nullptr); });
    pressKey(d, Key::Escape);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (d.GetUiThreadChannel()->isOpen() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(d.GetUiThreadChannel()->isOpen()) << "Escape outside the page is the dialog's";
  });
}

// A box that is up (the page's own caption, the longest the launcher shows) has the warning
// icon and its whole caption; asked for again it is not stacked; and a page that completes
// meanwhile raises the window without taking the box's keyboard focus.
TEST_F(LoginViewPage, BoxUpIsWholeSingleAndKeepsTheKeyboard) {
  const std::string caption = "来自网页的消息";
  const std::wstring wideCaption = L"来自网页的消息", text = L"游戏正在下载，请稍后关闭";
  ViewDialog dialog(options, config, system);
  runWithDriver(dialog, [&](ViewDialog& d) {
    ASSERT_TRUE(waitOnUi(d, [&] { return system.count("queue web_load") >= 2; })) << "the page did not load";
    auto first = std::async(std::launch::async, [&] { d.GetUiThreadChannel()->warningBox(text, wideCaption); });
    ASSERT_TRUE(waitForBox(d, wideCaption, text, 5s));
    auto again = std::async(std::launch::async, [&] { d.GetUiThreadChannel()->warningBox(text, wideCaption); });
    EXPECT_EQ(again.wait_for(3s), std::future_status::ready) << "the second call waits on a second box";
    onUi(d, [&] {
      const std::vector<GtkWidget*> boxes = boxesTitled(caption);
      ASSERT_EQ(boxes.size(), 1u);
      std::vector<std::string> icons;
      iconNames(boxes[0], icons);
      EXPECT_EQ(icons, std::vector<std::string>{"dialog-warning"});
      PangoLayout* layout = gtk_widget_create_pango_layout(boxes[0], caption.c_str());
      int width = 0, height = 0;
      pango_layout_get_pixel_size(layout, &width, &height);
      g_object_unref(layout);
      EXPECT_GE(gtk_widget_get_allocated_width(boxes[0]), width + 100)
          << "room for the caption and the title bar's button";
    });

    const size_t loads = system.count("queue web_load");
    runScript(d, "location.reload();");
    ASSERT_TRUE(waitOnUi(d, [&] { return system.count("queue web_load") > loads; }));
    EXPECT_TRUE(waitOnUi(
        d,
        [&] {
          const std::vector<GtkWidget*> boxes = boxesTitled(caption);
          return boxes.size() == 1 && gtk_window_is_active(GTK_WINDOW(boxes[0])) &&
                 !gtk_window_is_active(GTK_WINDOW(GetNativeWidget(d)));
        },
        3s))
        << "the box lost the keyboard to the window";

    while (dismissBox(d, wideCaption, text)) std::this_thread::sleep_for(50ms);
    EXPECT_EQ(first.wait_for(5s), std::future_status::ready);
  });
}

// A top-level window's size is fixed for the window manager: minimum and maximum are the
// size itself (WM_NORMAL_HINTS as the server holds it), so a smaller screen never gets the
// window scaled.
TEST_F(LoginViewPage, WindowSizeIsFixedForTheWindowManager) {
  ViewDialog dialog(options, config, system);
  runWithDriver(dialog, [&](ViewDialog& d) {
    onUi(d, [&] { d.MoveWindow(0, 0, 1280, 725, true); });
    std::vector<long> hints;
    const auto fixed = [&] {
      hints.clear();
      GdkWindow* window = gtk_widget_get_window(GetNativeWidget(d));
      GdkAtom type = nullptr;
      gint format = 0, length = 0;
      guchar* data = nullptr;
      if (window != nullptr &&
          gdk_property_get(window, gdk_atom_intern("WM_NORMAL_HINTS", FALSE), gdk_atom_intern("WM_SIZE_HINTS", FALSE),
                           0, 18 * 4, FALSE, &type, &format, &length, &data)) {
        const auto* values = reinterpret_cast<const long*>(data);
        hints.assign(values, values + static_cast<size_t>(length) / sizeof(long));
        g_free(data);
      }
      // flags, x, y, width, height, then the minimum and the maximum size
      constexpr long kMinSize = 1 << 4, kMaxSize = 1 << 5;
      return hints.size() >= 9 && (hints[0] & kMinSize) != 0 && (hints[0] & kMaxSize) != 0 &&
             std::vector<long>(hints.begin() + 5, hints.begin() + 9) == std::vector<long>{1280, 725, 1280, 725};
    };
    EXPECT_TRUE(waitOnUi(d, fixed, 2s)) << "hints: " << ::testing::PrintToString(hints);
  });
}
