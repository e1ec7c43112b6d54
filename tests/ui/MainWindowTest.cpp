// The main window as the player meets it: a real dialog on the display, driven from a
// second thread by real input, read from the window system and the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include "CopyDataRecord.h"
#include "FixtureServers.h"
#include "LauncherLogLines.h"
#include "Process.h"
#include "TestFolder.h"
#include "WindowProbe.h"
#include "app/ChannelClient.h"
#include "app/CopyData.h"
#include "delivery/ExtractPackage.h"
#include "delivery/PackageWorker.h"
#include "framework/UiPlatform.h"
#include "resources/MainDialog.h"
#include "ui/MainDlg.h"
#include "util/Logger.h"
#include "util/Utf8.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kHost = "http://127.0.0.1:18480";
constexpr CPoint kClose{1073 + 19, 95 + 19};

// The main dialog, telling the test when it is up.
class TestDlg : public MainDlg {
 public:
  using MainDlg::MainDlg;
  std::promise<void> ready;
  std::wstring initialLabel;

 protected:
  bool OnInitDialog() override {
    const bool result = MainDlg::OnInitDialog();
    initialLabel = GetDlgItem(IDC_STATUS_TEXT)->GetWindowText();
    ready.set_value();
    return result;
  }
};

std::string quoted(const std::string& program) { return "\"" + program + "\""; }

struct MainWindow : testing::Test {
  TestFolder folder;
  LaunchOptions options;
  DownloadConfig config{"./kvr/game", kHost + "/package/velmora/kvr.7z", "./kvr/kvr.7z"};
  uintptr_t graphics = 0;

  void SetUp() override {
    fs::create_directories("kvr");
    fs::copy_file(fs::u8path(KVR_TEST_CODEC_LIBRARY), fs::path(kCodecLibraryPath));
    ASSERT_TRUE(startQuietLauncherLog());
    g_downloadFinished = false;
    m_ulnow = 0;
    m_ultotal = 0;
    g_installProgress = -1;
    graphics = startGraphics();
  }
  void TearDown() override {
    // The worker and the progress thread outlive the window: let them end first.
    for (int i = 0; i < 600 && !g_downloadFinished; ++i) std::this_thread::sleep_for(50ms);
    std::this_thread::sleep_for(300ms);
    ILogManager::instance().stop();
    stopGraphics(graphics);
  }

  void installGame() {
    fs::create_directories("kvr/game");
    writeFile("kvr/game/kvr.exe", "installed game");
  }
  static void serve(const std::string& archive) {
    writeFile(fs::u8path(fixtureFile("channel-kvr.7z")), readFile(fs::u8path(KVR_ARCHIVE_FIXTURES) / archive));
  }

  // Runs the dialog on this thread while `driver` runs on another; the dialog is closed
  // when the driver leaves it open.
  void run(const std::function<void(TestDlg&)>& driver) {
    TestDlg dialog(options, config);
    std::thread driving([&] {
      if (dialog.ready.get_future().wait_for(30s) == std::future_status::ready) {
        std::this_thread::sleep_for(300ms);  // shown and painted
        driver(dialog);
        if (open(dialog)) {
          ADD_FAILURE() << "the driver left the dialog open";
          dialog.GetUiThreadChannel()->runOnUiThread([&] { dialog.DestroyWindow(); });
        }
      } else {
        ADD_FAILURE() << "the dialog did not come up";
      }
    });
    dialog.DoModal();
    driving.join();
  }

  static std::wstring label(TestDlg& dialog) {
    std::wstring text;
    dialog.GetUiThreadChannel()->runOnUiThread([&] { text = dialog.GetDlgItem(IDC_STATUS_TEXT)->GetWindowText(); });
    return text;
  }
  static std::pair<int32_t, int32_t> bar(TestDlg& dialog, int32_t* pos) {
    std::pair<int32_t, int32_t> range;
    dialog.GetUiThreadChannel()->runOnUiThread([&] {
      auto* progress = static_cast<CProgressCtrl*>(dialog.GetDlgItem(IDC_PROGRESS));
      progress->GetRange(range.first, range.second);
      *pos = progress->GetPos();
    });
    return range;
  }
  static bool open(TestDlg& dialog) { return dialog.GetUiThreadChannel()->isOpen(); }
  static bool waitClosed(TestDlg& dialog, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (open(dialog) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(20ms);
    return !open(dialog);
  }
};

// The screen's pixel once it shows `colour` (painting may lag on a busy machine), else its last value.
Rgb settledPixel(CPoint point, Rgb colour) {
  Rgb seen = screenPixel(point);
  for (int i = 0; i < 100 && seen != colour; ++i) {
    std::this_thread::sleep_for(30ms);
    seen = screenPixel(point);
  }
  return seen;
}

// The screen's pixel once it shows anything but `colour` (the window's shape may reach
// the screen after its first paint), else its last value.
Rgb pixelOtherThan(CPoint point, Rgb colour) {
  Rgb seen = screenPixel(point);
  for (int i = 0; i < 100 && seen == colour; ++i) {
    std::this_thread::sleep_for(30ms);
    seen = screenPixel(point);
  }
  return seen;
}

// A pixel of the background with exactly this alpha, away from the window's controls.
CPoint backgroundPixelWithAlpha(uint8_t alpha) {
  CImage background;
  LoadPngResource(&background, IDB_PNG_BACKGROUND);
  for (int y = 0; y < background.GetHeight(); ++y)
    for (int x = 0; x < 400; ++x)
      if (background.GetBits()[static_cast<ptrdiff_t>(y) * background.GetPitch() + x * 4 + 3] == alpha) return {x, y};
  return {-1, -1};
}

}  // namespace

TEST_F(MainWindow, GamePresentShapeAndLook) {
  installGame();
  const CPoint cut = backgroundPixelWithAlpha(119);
  const CPoint kept = backgroundPixelWithAlpha(120);
  ASSERT_GE(cut.x, 0);
  ASSERT_GE(kept.x, 0);
  Backdrop backdrop;
  run([&](TestDlg& dialog) {
    const WindowFacts facts = windowFacts(dialog);
    const CSize screen = GetFullScreenSize();
    EXPECT_EQ(facts.rect, (CRect{(screen.cx - 1280) / 2, (screen.cy - 725) / 2, (screen.cx - 1280) / 2 + 1280,
                                 (screen.cy - 725) / 2 + 725}));
    EXPECT_EQ(facts.title, "Kavran");
    EXPECT_TRUE(facts.topMost);
    EXPECT_TRUE(facts.hasIcon);
    EXPECT_EQ(label(dialog), L"下载完成");
    int32_t pos = 0;
    EXPECT_EQ(bar(dialog, &pos), std::make_pair(0, 100));
    EXPECT_EQ(pos, 100);
    EXPECT_TRUE(g_downloadFinished);

    const auto at = [&](CPoint point) { return CPoint{facts.rect.left + point.x, facts.rect.top + point.y}; };
    // The full bar in its colour, the cut-away pixel showing what lies behind.
    EXPECT_EQ(settledPixel(at({523 + 3, 640 + 4}), {138, 206, 249}), (Rgb{138, 206, 249}));
    EXPECT_EQ(settledPixel(at({523 + 552, 640 + 4}), {138, 206, 249}), (Rgb{138, 206, 249}));
    EXPECT_EQ(settledPixel(at(cut), Backdrop::kColour), Backdrop::kColour);
    EXPECT_NE(pixelOtherThan(at(kept), Backdrop::kColour), Backdrop::kColour);
    // A click on the cut-away pixel reaches the window behind; one on the kept pixel does
    // not. The click reaches the window behind through the window system, so it may take
    // a moment on a busy machine.
    clickAt(at(cut));
    for (int i = 0; i < 100 && backdrop.clicks() == 0; ++i) std::this_thread::sleep_for(30ms);
    EXPECT_EQ(backdrop.clicks(), 1);
    clickAt(at(kept));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(backdrop.clicks(), 1);

    clickAt(at(kClose));
    EXPECT_TRUE(waitClosed(dialog, 3s)) << "the game is there: close closes at once";
  });
  EXPECT_TRUE(stopAndReadLines().empty()) << "no progress thread, no worker";
}

// Run on a screen smaller than the window (a test run of its own), under each stacking
// window manager: the window keeps its size, and its picture unscaled under the label and
// the bar; it sits at the screen's edge with its title area on the screen, where a drag
// moves it.
TEST_F(MainWindow, SmallScreenKeepsTheSizeAndTheTitleArea) {
  if (GetFullScreenSize().cy > 725) GTEST_SKIP() << "the screen holds the whole window";
  installGame();
  CImage background;
  ASSERT_TRUE(LoadPngResource(&background, IDB_PNG_BACKGROUND));
  const auto picture = [&](CPoint point) {
    const uint8_t* pixel = background.GetBits() + static_cast<ptrdiff_t>(point.y) * background.GetPitch() + point.x * 4;
    return Rgb{pixel[2], pixel[1], pixel[0]};
  };
  // Window points and what they show: the picture's own pixel, or the full bar. A picture
  // scaled to the screen's 720 lines would move the status strip's edges by up to 4 lines,
  // and the bar out of its slot.
  const Rgb full{138, 206, 249};
  const struct {
    const char* what;
    CPoint point;
    std::optional<Rgb> colour;
  } looks[] = {
      {"above the status strip", {450, 631}, {}},
      {"the status strip's top line", {450, 632}, {}},
      {"the status strip's bottom line", {450, 659}, {}},
      {"below the status strip", {450, 660}, {}},
      {"the label's right end, on the strip", {505, 637}, {}},
      {"the slot above the bar", {526, 639}, {}},
      {"the bar's top line", {526, 640}, full},
      {"the bar's bottom line", {526, 647}, full},
      {"the slot below the bar", {526, 648}, {}},
      {"the bar's right end", {1075, 644}, full},
  };
  for (const std::string& name : windowManagers()) {
    SCOPED_TRACE(name);
    const WindowManager manager(name);
    ASSERT_TRUE(manager.running());
    run([&](TestDlg& dialog) {
      bool managed = manager.manages(dialog);
      for (int i = 0; i < 100 && !managed; ++i) {
        std::this_thread::sleep_for(30ms);
        managed = manager.manages(dialog);
      }
      EXPECT_TRUE(managed);
      const CRect placed{0, 0, 1280, 725};
      EXPECT_EQ(windowFacts(dialog).rect, placed);
      const auto known = [&] {
        CRect rect;
        dialog.GetUiThreadChannel()->runOnUiThread([&] { rect = dialog.GetWindowRect(); });
        return rect;
      };
      EXPECT_EQ(known(), placed) << "the framework's view";
      for (const auto& look : looks) {
        const Rgb expected = look.colour.value_or(picture(look.point));
        EXPECT_EQ(settledPixel(look.point, expected), expected) << look.what;
      }
      // The label's text, dark on the light strip: a line through it crosses its strokes.
      EXPECT_EQ(label(dialog), L"下载完成");
      int strokes = 0;
      for (int x = 446; x < 506; ++x) {
        const Rgb seen = screenPixel({x, 646});
        if (seen.red + seen.green + seen.blue < 200) ++strokes;
      }
      EXPECT_GE(strokes, 4) << "dark pixels on the label's middle line";

      dragFrom({300, 100}, {340, 130});
      CRect moved = windowFacts(dialog).rect;
      for (int i = 0; i < 50 && moved == placed; ++i) {
        std::this_thread::sleep_for(30ms);
        moved = windowFacts(dialog).rect;
      }
      EXPECT_EQ(moved, (CRect{40, 30, 40 + 1280, 30 + 725})) << "dragged by the title area";
      EXPECT_EQ(known(), moved) << "the framework's view after the window manager's move";
      dialog.GetUiThreadChannel()->runOnUiThread([&] { dialog.DestroyWindow(); });
    });
  }
}

TEST_F(MainWindow, DraggingThePictureMovesTheWindow) {
  installGame();
  run([&](TestDlg& dialog) {
    const CRect before = windowFacts(dialog).rect;
    dragFrom({before.left + 300, before.top + 300}, {before.left + 260, before.top + 250});
    CRect after = windowFacts(dialog).rect;
    for (int i = 0; i < 50 && after == before; ++i) {
      std::this_thread::sleep_for(30ms);
      after = windowFacts(dialog).rect;
    }
    EXPECT_EQ(after.left, before.left - 40);
    EXPECT_EQ(after.top, before.top - 50);
    clickAt({after.left + kClose.x, after.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
}

// The close notice reaches the channel client when it gave a window id, and only then.
TEST_F(MainWindow, CloseTellsTheChannelClient) {
  installGame();
  for (const bool withClient : {true, false}) {
    SCOPED_TRACE(withClient ? "--winid of the client" : "no --winid");
    ChildProcess client(quoted(KVR_CHANNEL_CLIENT) + " records.txt 20000");
    ASSERT_TRUE(client.started());
    const std::optional<std::string> idLine = client.readLine(30s);
    ASSERT_TRUE(idLine);
    options.m_nWinId = withClient ? static_cast<int32_t>(std::strtol(idLine->c_str(), nullptr, 10)) : 0;
    run([&](TestDlg& dialog) {
      const CRect rect = windowFacts(dialog).rect;
      clickAt({rect.left + kClose.x, rect.top + kClose.y});
      EXPECT_TRUE(waitClosed(dialog, 5s));
    });
    const std::vector<uint8_t> notice = closeNoticePayload();
    EXPECT_EQ(fs::exists("records.txt") ? readFile("records.txt") : "",
              withClient ? formatCopyDataRecord(1, options.m_nWinId, notice.data(), notice.size()) + "\n" : "");
    fs::remove("records.txt");
  }
}

// A client whose window no longer answers holds the close for the bound only.
TEST_F(MainWindow, HungChannelClientDoesNotHoldTheClose) {
  installGame();
  ChildProcess client(quoted(KVR_CHANNEL_CLIENT) + " records.txt 15000 hang");
  ASSERT_TRUE(client.started());
  const std::optional<std::string> idLine = client.readLine(30s);
  ASSERT_TRUE(idLine);
  options.m_nWinId = static_cast<int32_t>(std::strtol(idLine->c_str(), nullptr, 10));
  std::chrono::steady_clock::time_point clicked;
  run([&](TestDlg& dialog) {
    const CRect rect = windowFacts(dialog).rect;
    clicked = std::chrono::steady_clock::now();
    clickAt({rect.left + kClose.x, rect.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
  EXPECT_LT(std::chrono::steady_clock::now() - clicked, kCopyDataTimeout + 2s);
}

// Any copy-data record from another process: one log line, nothing else.
TEST_F(MainWindow, CopyDataIsLoggedOnce) {
  installGame();
  run([&](TestDlg& dialog) {
    ChildProcess sender(quoted(KVR_SEND_COPYDATA) + " " + windowId(dialog) + " 77 anything");
    ASSERT_TRUE(sender.started());
    EXPECT_EQ(sender.wait(20s), 0);
    EXPECT_TRUE(open(dialog));
    const CRect rect = windowFacts(dialog).rect;
    clickAt({rect.left + kClose.x, rect.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
  const std::vector<std::string> lines = stopAndReadLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "OnWnNotifygame "), 1) << lines.size();
}

const std::wstring kCaption = L"提示";
const std::wstring kRefused = L"游戏正在下载，请稍后关闭";
const std::wstring kFailed = L"下载出错请重新打开";

// A missing game: the worker installs it while the bar moves and the label follows; the
// close button refuses while the work runs and closes once it is over.
TEST_F(MainWindow, GameMissingInstallsWithTheCloseGuarded) {
  serve("nested.7z");
  run([&](TestDlg& dialog) {
    std::vector<std::wstring> labels{dialog.initialLabel};
    int32_t lastPos = 0;
    bool guardSeen = false;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::wstring text = label(dialog);
      if (labels.back() != text) labels.push_back(text);
      bar(dialog, &lastPos);
      // Installing lasts at least 2 s: time for the close button's refusal.
      if (!guardSeen && text == L"正在安装...") {
        const CRect rect = windowFacts(dialog).rect;
        clickAt({rect.left + kClose.x, rect.top + kClose.y});
        EXPECT_TRUE(waitForBox(dialog, kCaption, kRefused, 5s));
        EXPECT_TRUE(dismissBox(dialog, kCaption, kRefused));
        EXPECT_TRUE(open(dialog)) << "the window stays";
        guardSeen = true;
      }
      if (g_downloadFinished && text == L"下载完成") break;
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(guardSeen);
    EXPECT_EQ(labels, (std::vector<std::wstring>{L"下载中", L"正在安装...", L"下载完成"}));
    int32_t pos = 0;
    const auto range = bar(dialog, &pos);
    EXPECT_GT(range.second, 0);
    EXPECT_EQ(pos, range.second) << "the bar is full after the whole package";
    EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
    const CRect rect = windowFacts(dialog).rect;
    clickAt({rect.left + kClose.x, rect.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s)) << "after the work, close closes";
  });
}

// A host busy for the first two requests: the label says the network is down and the
// launcher retrying, then downloading again once bytes come (the host holds the rest a
// moment, so that the label can be seen), then as on any install.
TEST_F(MainWindow, RetriesAreToldOnTheLabel) {
  serve("nested.7z");
  config.m_strGamePath = kHost + "/package/velmora/kvr.7z?fail=503:2&hold=1500&run=" +
                         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  run([&](TestDlg& dialog) {
    std::vector<std::wstring> labels{dialog.initialLabel};
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::wstring text = label(dialog);
      if (labels.back() != text) labels.push_back(text);
      if (g_downloadFinished && text == L"下载完成") break;
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(labels, (std::vector<std::wstring>{L"下载中", L"网络重连中", L"下载中", L"正在安装...", L"下载完成"}));
    const CRect rect = windowFacts(dialog).rect;
    clickAt({rect.left + kClose.x, rect.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
}

// Closing while the game downloads (here a host that stalls after the first byte) asks;
// No keeps the download, Yes stops it and the window goes within 2 s. The next start
// resumes after the byte kept and installs the game.
TEST_F(MainWindow, CloseDuringTheDownloadAsksAndStopsIt) {
  serve("nested.7z");
  const std::wstring question = L"游戏正在下载，确定要退出吗？";
  config.m_strGamePath = kHost + "/package/velmora/kvr.7z?hold=20000&run=" +
                         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  run([&](TestDlg& dialog) {
    for (int i = 0; i < 500 && !packageTransferUnderWay(); ++i) std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(500ms);  // the first byte in, the rest held
    ASSERT_TRUE(packageTransferUnderWay());
    const CRect rect = windowFacts(dialog).rect;
    for (const bool yes : {false, true}) {
      clickAt({rect.left + kClose.x, rect.top + kClose.y});
      ASSERT_TRUE(waitForBox(dialog, kCaption, question, 5s));
      const auto answered = std::chrono::steady_clock::now();
      EXPECT_TRUE(answerBox(dialog, kCaption, question, yes));
      if (!yes) {
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(open(dialog)) << "No keeps the window and the download";
        EXPECT_TRUE(packageTransferUnderWay());
        continue;
      }
      EXPECT_TRUE(waitClosed(dialog, 2s));
      for (int i = 0; i < 100 && !g_downloadFinished; ++i) std::this_thread::sleep_for(20ms);
      EXPECT_TRUE(g_downloadFinished);
      EXPECT_LT(std::chrono::steady_clock::now() - answered, 2s);
    }
  });
  EXPECT_EQ(fs::file_size("kvr/kvr.7z"), 1u) << "the byte that came is kept";
  EXPECT_FALSE(fs::exists("kvr/game/kvr.exe"));

  g_downloadFinished = false;
  run([&](TestDlg& dialog) {
    for (int i = 0; i < 1500 && !(g_downloadFinished && label(dialog) == L"下载完成"); ++i)
      std::this_thread::sleep_for(20ms);
    EXPECT_EQ(label(dialog), L"下载完成");
    const CRect rect = windowFacts(dialog).rect;
    clickAt({rect.left + kClose.x, rect.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
  EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
  std::ifstream requests(fixtureFile("channel-requests.log"));
  std::string line, last;
  while (std::getline(requests, line))
    if (!line.empty()) last = line;
  const auto size = fs::file_size("kvr/kvr.7z");
  EXPECT_EQ(last.substr(last.find(' ') + 1), "206 1 " + std::to_string(size - 1)) << "resumed after the kept byte";
}

// A download over a slow link (about 8 s for the package): under the bar's right end the
// share, the speed and the time left are drawn, grow longer as the figures become known,
// change at least once a second, and are gone once installing starts.
TEST_F(MainWindow, DownloadFiguresUnderTheBar) {
  serve("nested.7z");
  const auto size = fs::file_size(fs::u8path(fixtureFile("channel-kvr.7z")));
  config.m_strGamePath = kHost + "/package/velmora/kvr.7z?rate=" + std::to_string(size / 8) +
                         "&run=" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  // The plate under the status strip, where the figures go; plain where nothing is drawn.
  const CRect plate{523, 660, 1079, 675};
  const Rgb plain{10, 16, 40};
  using Clock = std::chrono::steady_clock;
  struct Ink {
    Clock::time_point at;
    std::vector<Rgb> pixels;
    int left = -1;  // the leftmost and rightmost drawn column, -1 when none
    int right = -1;
  };
  const auto inkOf = [&](const CRect& window) {
    Ink ink{Clock::now(), screenPixels({window.left + plate.left, window.top + plate.top, window.left + plate.right,
                                        window.top + plate.bottom})};
    for (std::size_t i = 0; i < ink.pixels.size(); ++i) {
      if (ink.pixels[i] == plain) continue;
      const int x = static_cast<int>(i % static_cast<std::size_t>(plate.Width()));
      ink.left = ink.left < 0 ? x : std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
    }
    return ink;
  };
  run([&](TestDlg& dialog) {
    const CRect window = windowFacts(dialog).rect;
    std::vector<Ink> downloading;  // each new picture of the plate while the label says so
    bool installingSeen = false;
    bool plainWhileInstalling = false;
    const auto deadline = Clock::now() + 60s;
    while (Clock::now() < deadline && !(g_downloadFinished && label(dialog) == L"下载完成")) {
      const std::wstring text = label(dialog);
      Ink ink = inkOf(window);
      if (text == L"下载中" && !installingSeen && ink.left >= 0 &&
          (downloading.empty() || downloading.back().pixels != ink.pixels))
        downloading.push_back(std::move(ink));
      if (text == L"正在安装...") {
        installingSeen = true;
        plainWhileInstalling = plainWhileInstalling || ink.left < 0;
      }
      std::this_thread::sleep_for(50ms);
    }
    ASSERT_GE(downloading.size(), 4u) << "figures drawn while the package came in";
    for (std::size_t i = 1; i < downloading.size(); ++i)
      EXPECT_LE(downloading[i].at - downloading[i - 1].at, 1500ms) << "the figures stood still before picture " << i;
    EXPECT_GE(downloading.front().right, plate.Width() - 4) << "against the bar's right end";
    const int firstWidth = downloading.front().right - downloading.front().left;
    int widest = 0;
    for (const Ink& ink : downloading) widest = std::max(widest, ink.right - ink.left);
    EXPECT_LT(firstWidth, 60) << "the share alone at first";
    EXPECT_GT(widest, firstWidth + 100) << "then the speed and the time left beside it";
    EXPECT_TRUE(installingSeen);
    EXPECT_TRUE(plainWhileInstalling) << "nothing drawn while installing";
    EXPECT_EQ(inkOf(window).left, -1) << "nothing drawn once installed";
    EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
    clickAt({window.left + kClose.x, window.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
}

// Installing a package of 4000 files: the bar empties when "正在安装..." appears, then
// moves at least once a second until it is full.
TEST_F(MainWindow, InstallingMovesTheBarEverySecond) {
  serve("many-files.7z");
  run([&](TestDlg& dialog) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::pair<Clock::time_point, int32_t>> moves;  // installing: each new position
    std::pair<int32_t, int32_t> installRange;
    const auto deadline = Clock::now() + 120s;
    while (Clock::now() < deadline) {
      const std::wstring text = label(dialog);
      int32_t pos = 0;
      const auto range = bar(dialog, &pos);
      if (text == L"正在安装..." && (moves.empty() || moves.back().second != pos)) {
        moves.emplace_back(Clock::now(), pos);
        installRange = range;
      }
      if (!moves.empty() && pos == installRange.second && installRange.second > 0) break;
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_GE(moves.size(), 3u) << "the bar moved while installing";
    EXPECT_EQ(installRange, std::make_pair(0, kInstallProgressFull));
    EXPECT_LT(moves.front().second, kInstallProgressFull / 10) << "installing starts from an empty bar";
    EXPECT_EQ(moves.back().second, kInstallProgressFull);
    for (std::size_t i = 1; i < moves.size(); ++i) {
      EXPECT_GT(moves[i].second, moves[i - 1].second);
      EXPECT_LE(moves[i].first - moves[i - 1].first, 1000ms) << "the bar stood still before " << moves[i].second;
    }
    // The full bar reaches the screen in its colour.
    const CRect window = windowFacts(dialog).rect;
    EXPECT_EQ(settledPixel({window.left + 523 + 552, window.top + 644}, {138, 206, 249}), (Rgb{138, 206, 249}));
    for (int i = 0; i < 500 && !g_downloadFinished; ++i) std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
    const CRect rect = windowFacts(dialog).rect;
    clickAt({rect.left + kClose.x, rect.top + kClose.y});
    EXPECT_TRUE(waitClosed(dialog, 3s));
  });
}

// A failed transfer (a status that is not retried: refused connections are ridden out
// for two minutes): the error box; while it is open the work is not over, so Escape and
// Enter take the close button's way and are refused too.
TEST_F(MainWindow, FailedTransferShowsTheErrorBoxAndKeysAreGuarded) {
  config.m_strGamePath = kHost + "/404/package/velmora/kvr.7z";
  const size_t eventsBefore = channelEventTypes().size();
  run([&](TestDlg& dialog) {
    ASSERT_TRUE(waitForBox(dialog, kCaption, kFailed, 30s));
    // The page, made after the first paint, gives the open box the keyboard when it has
    // loaded: the keys below go to the window once that has happened.
    for (int i = 0; i < 1500; ++i) {
      const std::vector<std::string> events = channelEventTypesSince(eventsBefore);
      if (std::count(events.begin(), events.end(), "web_load") >= 2) break;
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_FALSE(g_downloadFinished) << "the flag goes up once the box is dismissed";
    EXPECT_EQ(label(dialog), L"下载出错") << "the label tells what happened, not that it is downloading";
    // Nothing was received: the bar shows its background colour only.
    const CRect window = windowFacts(dialog).rect;
    for (const int x : {523 + 3, 523 + 552})
      EXPECT_EQ(settledPixel({window.left + x, window.top + 644}, {27, 126, 218}), (Rgb{27, 126, 218})) << x;
    for (const Key key : {Key::Escape, Key::Enter}) {
      pressKey(dialog, key);
      EXPECT_TRUE(waitForBox(dialog, kCaption, kRefused, 5s));
      EXPECT_TRUE(dismissBox(dialog, kCaption, kRefused));
      EXPECT_TRUE(open(dialog));
    }
    EXPECT_TRUE(dismissBox(dialog, kCaption, kFailed));
    for (int i = 0; i < 100 && !g_downloadFinished; ++i) std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(g_downloadFinished);
    EXPECT_EQ(label(dialog), L"下载出错");
    pressKey(dialog, Key::Escape);
    EXPECT_TRUE(waitClosed(dialog, 3s)) << "after the work, Escape closes like the close button";
  });
}

// The window ends while the worker still runs (its error box open): the worker's later
// calls find no window, and nothing crashes or waits for ever.
TEST_F(MainWindow, WorkerOutlivesTheWindow) {
  config.m_strGamePath = kHost + "/404/package/velmora/kvr.7z";
  run([&](TestDlg& dialog) {
    ASSERT_TRUE(waitForBox(dialog, kCaption, kFailed, 30s));
    dialog.GetUiThreadChannel()->runOnUiThread([&] { dialog.DestroyWindow(); });
  });
  // On Windows the ownerless box lives on the worker's thread until it is dismissed; on
  // GTK it went with the window.
  dismissOrphanBox(kCaption, kFailed);
  for (int i = 0; i < 200 && !g_downloadFinished; ++i) std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(g_downloadFinished);
}
