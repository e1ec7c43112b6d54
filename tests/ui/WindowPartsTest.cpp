// The window's parts on their own: the picture loader, the shape's row runs, the bar's
// painting (into a real image through the platform's drawing) and the progress thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "delivery/PackageWorker.h"
#include "framework/CDC.h"
#include "framework/UiPlatform.h"
#include "resources/MainDialog.h"
#include "ui/PicButton.h"
#include "ui/ProgressThread.h"
#include "util/Utf8.h"

namespace {

struct Bgra {
  uint8_t blue, green, red, alpha;
  bool operator==(const Bgra&) const = default;
};

uint8_t* pixelAt(CImage& image, int x, int y) {
  return image.GetBits() + static_cast<ptrdiff_t>(y) * image.GetPitch() + x * (image.GetBPP() / 8);
}

Bgra bgraAt(CImage& image, int x, int y) {
  const uint8_t* pixel = pixelAt(image, x, y);
  return {pixel[0], pixel[1], pixel[2], image.GetBPP() == 32 ? pixel[3] : uint8_t{255}};
}

// GDI+ decodes on Windows; it must run first, as start-up has it.
struct Graphics : testing::Environment {
  uintptr_t token = 0;
  void SetUp() override { token = startGraphics(); }
  void TearDown() override { stopGraphics(token); }
};
const auto* const graphics = testing::AddGlobalTestEnvironment(new Graphics);

// A 2 × 1 PNG without an alpha channel: (200, 100, 50) and (10, 20, 30).
constexpr unsigned char kOpaquePng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7b, 0x40, 0xe8, 0xdd, 0x00, 0x00, 0x00,
    0x0f, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x38, 0x91, 0x62, 0xc4, 0x25, 0x22, 0x07, 0x00, 0x07, 0xd7,
    0x01, 0x9b, 0x2e, 0xd5, 0x2b, 0x69, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

}  // namespace

TEST(Premultiply, ColoursScaledByAlphaAlphaKept) {
  struct Case {
    Bgra straight, premultiplied;
  };
  const Case cases[] = {
      {{200, 100, 50, 128}, {100, 50, 25, 128}}, {{255, 10, 0, 255}, {255, 10, 0, 255}},
      {{90, 80, 70, 0}, {0, 0, 0, 0}},           {{255, 255, 255, 1}, {1, 1, 1, 1}},
      {{3, 254, 128, 254}, {2, 253, 127, 254}},
  };
  CImage image;
  ASSERT_TRUE(image.Create(2, 3, 32, true));  // rows of either direction, as the platform makes them
  for (const Case& c : cases) {
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 2; ++x) *reinterpret_cast<Bgra*>(pixelAt(image, x, y)) = c.straight;
    PremultiplyAlpha(image);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 2; ++x) EXPECT_EQ(bgraAt(image, x, y), c.premultiplied) << x << "," << y;
  }
}

TEST(LoadPngResource, LoadsPremultipliedAndReleasesFirst) {
  EXPECT_FALSE(LoadPngResource(nullptr, IDB_PNG_CLOSE));

  CImage image;
  ASSERT_TRUE(LoadPngResource(&image, IDB_PNG_CLOSE));
  ASSERT_FALSE(image.IsNull());
  EXPECT_EQ(image.GetWidth(), 39);
  EXPECT_EQ(image.GetHeight(), 39);
  EXPECT_EQ(image.GetBPP(), 32);
  EXPECT_TRUE(image.HasAlphaChannel());
  EXPECT_EQ(bgraAt(image, 0, 0), (Bgra{0, 0, 0, 0})) << "the round button's corner is transparent";
  EXPECT_EQ(bgraAt(image, 19, 19), (Bgra{255, 255, 255, 255})) << "the cross is white and opaque";
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const Bgra pixel = bgraAt(image, x, y);
      ASSERT_TRUE(pixel.blue <= pixel.alpha && pixel.green <= pixel.alpha && pixel.red <= pixel.alpha) << x << "," << y;
    }

  // A resource that does not exist: false, and the earlier picture is gone.
  EXPECT_FALSE(LoadPngResource(&image, 4242));
  EXPECT_TRUE(image.IsNull());
  ASSERT_TRUE(LoadPngResource(&image, IDB_PNG_MINIMIZE));
  EXPECT_EQ(image.GetWidth(), 27);
}

TEST(LoadPngResource, OpaquePngStaysStraightAndBlendsOpaque) {
  CImage image;
  ASSERT_TRUE(image.Load(kOpaquePng));
  PremultiplyAlpha(image);
  EXPECT_EQ(image.GetBPP(), 24);
  EXPECT_FALSE(image.HasAlphaChannel());
  EXPECT_EQ(bgraAt(image, 0, 0), (Bgra{50, 100, 200, 255}));

  CImage target;
  ASSERT_TRUE(target.Create(2, 1, 32, false));
  {
    CImageDC dc(target);
    dc.FillRect({0, 0, 2, 1}, MakeRgb(1, 2, 3));
    EXPECT_TRUE(dc.AlphaBlend(0, 0, 2, 1, image, 0, 0, 2, 1, 255, image.HasAlphaChannel()));
  }
  EXPECT_EQ(bgraAt(target, 0, 0).red, 200);
  EXPECT_EQ(bgraAt(target, 1, 0).blue, 30);
}

TEST(WindowShape, RunsOfAlphaAtLeastTheThreshold) {
  struct Case {
    const char* name;
    std::vector<uint8_t> row;
    std::vector<std::pair<int, int>> runs;
  };
  const Case cases[] = {
      {"119 is cut, 120 kept", {119, 120, 119}, {{1, 2}}},
      {"whole row", {255, 120, 200}, {{0, 3}}},
      {"no pixel", {0, 119, 0}, {}},
      {"two runs touching the edges", {130, 0, 0, 255}, {{0, 1}, {3, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CImage image;
    const int width = static_cast<int>(c.row.size());
    ASSERT_TRUE(image.Create(width, 2, 32, true));
    for (int x = 0; x < width; ++x) pixelAt(image, x, 1)[3] = c.row[x];
    std::vector<CRect> expected;
    for (const auto& [x0, x1] : c.runs) expected.push_back({x0, 1, x1, 2});
    EXPECT_EQ(AlphaRowRuns(image, 120), expected);
  }
  EXPECT_TRUE(AlphaRowRuns(CImage(), 120).empty()) << "an empty picture shapes an empty window";
}

TEST(WindowShape, BackgroundHoldsBothSidesOfTheThreshold) {
  CImage background;
  ASSERT_TRUE(LoadPngResource(&background, IDB_PNG_BACKGROUND));
  EXPECT_EQ(background.GetWidth(), 1280);
  EXPECT_EQ(background.GetHeight(), 725);
  const auto start = std::chrono::steady_clock::now();
  const std::vector<CRect> runs = AlphaRowRuns(background, 120);
  CRgn region;
  EXPECT_TRUE(region.CreateFromRects(runs));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GT(runs.size(), 725u / 2);
  std::printf("region of the background: %zu rectangles in %.2f ms\n", runs.size(),
              std::chrono::duration<double, std::milli>(elapsed).count());
}

// A region moves as the window takes it: the source holds none afterwards, and a region
// moved over is freed (the sanitizer run reports it otherwise).
TEST(WindowShape, RegionMovesLeaveTheSourceEmpty) {
  const CRect rects[] = {{0, 0, 4, 1}, {1, 1, 3, 2}};
  CRgn first;
  EXPECT_TRUE(first.IsNull());
  ASSERT_TRUE(first.CreateFromRects(rects));
  CRgn second(std::move(first));
  EXPECT_TRUE(first.IsNull());
  EXPECT_FALSE(second.IsNull());
  CRgn third;
  ASSERT_TRUE(third.CreateFromRects(rects));
  third = std::move(second);
  EXPECT_TRUE(second.IsNull());
  EXPECT_FALSE(third.IsNull());
  ASSERT_TRUE(third.CreateFromRects(rects)) << "a second shape replaces the first";
  EXPECT_FALSE(third.IsNull());
}

// The bar's painting into an image: how many pixels of a 150-pixel row are bar.
TEST(ProgressBar, PaintsTwoRectangles) {
  struct Case {
    int32_t lower, upper, pos;
    int barPixels;
  };
  const Case cases[] = {
      {0, 100, 50, 75},   {0, 100, 33, 49}, {0, 100, 0, 0}, {0, 100, -5, 0},     {0, 100, 100, 150},
      {0, 100, 150, 150}, {0, 0, 0, 0},     {7, 7, 7, 0},   {0, 3000, 1500, 75}, {50, 150, 50, 75},
  };
  const Bgra background{218, 126, 27, 255};
  const Bgra bar{249, 206, 138, 255};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lower << "-" << c.upper << " at " << c.pos);
    CImage image;
    ASSERT_TRUE(image.Create(150, 4, 32, false));
    {
      CImageDC dc(image);
      CProgress::Paint(dc, {0, 0, 150, 4}, c.lower, c.upper, c.pos);
    }
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 150; ++x) {
        Bgra pixel = bgraAt(image, x, y);
        pixel.alpha = 255;
        ASSERT_EQ(pixel, x < c.barPixels ? bar : background) << x << "," << y;
      }
  }
}

// The text beside the bar, drawn into an image: against the rectangle's right edge,
// centred in its height, inside it only, in the colour asked for.
TEST(ProgressText, DrawnRightAlignedInsideTheRectangle) {
  constexpr int kWidth = 200;
  constexpr int kHeight = 30;
  const CRect rect{20, 7, 180, 23};
  const Bgra plate{40, 16, 10, 255};
  CImage image;
  ASSERT_TRUE(image.Create(kWidth, kHeight, 32, false));
  {
    CImageDC dc(image);
    dc.FillRect({0, 0, kWidth, kHeight}, MakeRgb(10, 16, 40));
    dc.DrawText(L"37%  剩余 01:23", rect, MakeRgb(214, 224, 240), 12);
  }
  CRect inked{kWidth, kHeight, -1, -1};
  bool textColourSeen = false;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      Bgra pixel = bgraAt(image, x, y);
      pixel.alpha = 255;
      if (pixel == plate) continue;
      inked = {std::min(inked.left, x), std::min(inked.top, y), std::max(inked.right, x + 1),
               std::max(inked.bottom, y + 1)};
      textColourSeen = textColourSeen || pixel == Bgra{240, 224, 214, 255};
    }
  ASSERT_GT(inked.right, 0) << "nothing drawn";
  EXPECT_TRUE(textColourSeen);
  EXPECT_GE(inked.left, rect.left);
  EXPECT_GE(inked.top, rect.top);
  EXPECT_LE(inked.bottom, rect.bottom);
  EXPECT_LE(inked.right, rect.right);
  EXPECT_GE(inked.right, rect.right - 3) << "against the right edge";
  EXPECT_GT(inked.left, rect.left + 20) << "a short text leaves the left free";
  EXPECT_LE(std::abs((inked.top - rect.top) - (rect.bottom - inked.bottom)), 3) << "centred in the height";
}

namespace {

// Records what the progress thread asks of the window.
struct RecordingBar : IProgressBarUi {
  std::vector<std::pair<int32_t, int32_t>> ranges;
  std::vector<int32_t> positions;
  std::vector<std::pair<std::chrono::steady_clock::time_point, std::wstring>> texts;
  bool windowGone = false;
  bool setRange(int32_t nLower, int32_t nUpper) override {
    if (windowGone) return false;
    ranges.emplace_back(nLower, nUpper);
    return true;
  }
  bool setPos(int32_t nPos) override {
    if (windowGone) return false;
    positions.push_back(nPos);
    return true;
  }
  bool setProgressText(const std::wstring& text) override {
    if (windowGone) return false;
    texts.emplace_back(std::chrono::steady_clock::now(), text);
    return true;
  }
};

// The thread's pauses shortened: the cases below are about when it ends, not how often.
const ProgressPauses kQuickSamples{std::chrono::milliseconds(20), std::chrono::milliseconds(10)};

}  // namespace

// The thread ends on its own in every case, within a few samples; once installing has
// started the bar is the extraction's.
TEST(ProgressThread, EndsWhenTheWorkIsOver) {
  using Ranges = std::vector<std::pair<int32_t, int32_t>>;
  struct Case {
    const char* name;
    int32_t now, total, installed;
    bool workerEnded, windowGone;
    Ranges ranges;
    std::vector<int32_t> positions;
  };
  const Case cases[] = {
      {"transfer complete, worker ended", 500, 500, -1, true, false, {{0, 500}}, {500}},
      {"transfer stopped half-way, worker ended", 200, 500, -1, true, false, {{0, 500}}, {200}},
      {"no size announced, worker ended", 0, 0, -1, true, false, {}, {}},
      {"window gone", 200, 500, -1, false, true, {}, {}},
      {"extraction failed half-way", 500, 500, 400, true, false, {{0, 1000}}, {400}},
      {"nothing transferred, extraction done", 0, 0, 1000, true, false, {{0, 1000}}, {1000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_downloadFinished = c.workerEnded;
    m_ulnow = c.now;
    m_ultotal = c.total;
    g_installProgress = c.installed;
    RecordingBar bar;
    bar.windowGone = c.windowGone;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProgressThreadProc(bar, kQuickSamples), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(bar.positions, c.positions);
    EXPECT_EQ(bar.ranges, c.ranges);
  }
  g_downloadFinished = false;
  m_ulnow = 0;
  m_ultotal = 0;
  g_installProgress = -1;
}

// A complete transfer does not end the thread: the bar starts again from empty with the
// extraction and follows it to full.
TEST(ProgressThread, FollowsTheExtractionAfterTheTransfer) {
  g_downloadFinished = false;
  m_ulnow = 400;
  m_ultotal = 400;
  g_installProgress = -1;
  RecordingBar bar;
  std::thread progress([&] { ProgressThreadProc(bar); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  for (const int32_t installed : {0, 250, 600, 1000}) {
    g_installProgress = installed;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  g_downloadFinished = true;
  progress.join();
  EXPECT_EQ(bar.ranges, (std::vector<std::pair<int32_t, int32_t>>{{0, 400}, {0, 1000}}));
  ASSERT_GE(bar.positions.size(), 5u);
  EXPECT_EQ(bar.positions.front(), 400);
  std::vector<int32_t> seen;
  for (const int32_t pos : std::vector<int32_t>(bar.positions.begin() + 1, bar.positions.end()))
    if (seen.empty() || seen.back() != pos) seen.push_back(pos);
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 250, 600, 1000}));
  g_downloadFinished = false;
  m_ulnow = 0;
  m_ultotal = 0;
  g_installProgress = -1;
}

// While the transfer runs, the range is set once, from the first sample.
TEST(ProgressThread, RangeFromTheFirstSampleOnly) {
  g_downloadFinished = false;
  m_ulnow = 100;
  m_ultotal = 400;
  RecordingBar bar;
  std::thread progress([&] { ProgressThreadProc(bar, kQuickSamples); });
  std::this_thread::sleep_for(kQuickSamples.firstSample + std::chrono::milliseconds(300));
  m_ultotal = 999;  // a later total does not change the range
  m_ulnow = 999;
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  g_downloadFinished = true;
  progress.join();
  g_downloadFinished = false;
  EXPECT_EQ(bar.ranges, (std::vector<std::pair<int32_t, int32_t>>{{0, 400}}));
  ASSERT_FALSE(bar.positions.empty());
  EXPECT_EQ(bar.positions.front(), 100);
  EXPECT_EQ(bar.positions.back(), 999);
  m_ulnow = 0;
  m_ultotal = 0;
}

// While the package comes in, the text beside the bar changes about once a second; it is
// taken away at once when the download ends, whichever way it ends.
TEST(ProgressThread, TextOnlyWhileDownloading) {
  struct Case {
    const char* name;
    std::function<void()> end;
  };
  const Case cases[] = {
      {"the package is complete", [] { m_ulnow = m_ultotal.load(); }},
      {"installing has started", [] { g_installProgress = 0; }},
      {"the worker ended half-way", [] { g_downloadFinished = true; }},
  };
  using Clock = std::chrono::steady_clock;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_downloadFinished = false;
    g_installProgress = -1;
    m_ultotal = 100000;
    m_ulnow = 1;
    RecordingBar bar;
    std::thread progress([&] { ProgressThreadProc(bar, kQuickSamples); });
    const auto growing = Clock::now() + std::chrono::milliseconds(2500);
    while (Clock::now() < growing) {
      m_ulnow += 100;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto ended = Clock::now();
    c.end();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    g_downloadFinished = true;
    progress.join();

    ASSERT_GE(bar.texts.size(), 3u);
    EXPECT_EQ(bar.texts.back().second, L"") << "nothing once the download has ended";
    EXPECT_LT(bar.texts.back().first - ended, std::chrono::milliseconds(100));
    for (std::size_t i = 0; i + 1 < bar.texts.size(); ++i) {
      const std::wstring& text = bar.texts[i].second;
      EXPECT_NE(text.find(L"%"), std::wstring::npos) << "a share first: " << toUtf8(text);
      if (i > 0) {
        EXPECT_NE(text.find(L"/s"), std::wstring::npos) << "then a speed: " << toUtf8(text);
      }
      if (i + 2 < bar.texts.size()) {
        const auto gap = bar.texts[i + 1].first - bar.texts[i].first;
        EXPECT_GE(gap, std::chrono::milliseconds(950));
        EXPECT_LE(gap, std::chrono::milliseconds(1100));
      }
    }
  }
  g_downloadFinished = false;
  m_ulnow = 0;
  m_ultotal = 0;
  g_installProgress = -1;
}
