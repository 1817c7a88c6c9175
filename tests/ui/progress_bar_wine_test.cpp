#include <windows.h>

#include <string>

#include "reference_paint.h"
#include "support/win_test_support.h"
#include "ui/progress_bar.h"
#include "ui_test_support.h"

namespace {

constexpr int kWidth = 458;  // the bar's size in the main window
constexpr int kHeight = 14;

// The fill is a saturated blue; the trough is a pale grey-blue.
bool IsFill(COLORREF c) { return Blue(c) - Red(c) > 50; }
int Brightness(COLORREF c) { return Red(c) + Green(c) + Blue(c); }

class ProgressBarTest : public testing::Test {
 protected:
  void SetUp() override {
    parent = CreateWindowExW(0, L"STATIC", L"bar host", WS_POPUP | WS_VISIBLE, 100, 100, 480, 40, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    ASSERT_NE(bar.Create(parent), nullptr);
    MoveWindow(bar.hwnd(), 11, 10, kWidth, kHeight, TRUE);
    bar.SetRange(0, 1000);
  }
  void TearDown() override { DestroyWindow(parent); }

  // The bar as it is now; no message is pumped, so the highlight stays where it is.
  void Render(Canvas& canvas) const { bar.PaintContent(canvas.dc(), kWidth, kHeight); }

  void Step(int steps) {
    for (int i = 0; i < steps; ++i) SendMessageW(bar.hwnd(), WM_TIMER, 250, 0);
  }

  HWND parent = nullptr;
  CProgressBarEx bar;
};

TEST_F(ProgressBarTest, IsAChildWindowOfItsOwnClassAtItsProvisionalPlace) {
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  CProgressBarEx fresh;
  ASSERT_NE(fresh.Create(other), nullptr);
  RECT place;
  GetWindowRect(fresh.hwnd(), &place);
  MapWindowPoints(nullptr, other, reinterpret_cast<POINT*>(&place), 2);
  // Created at (10, 30), 20 wide and as high as the trough image, until the frame moves it.
  EXPECT_EQ(place.left, 10);
  EXPECT_EQ(place.top, 30);
  EXPECT_EQ(place.right - place.left, 20);
  EXPECT_EQ(place.bottom - place.top, 16);
  EXPECT_EQ(GetWindowLongW(fresh.hwnd(), GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
  EXPECT_EQ(GetClassLongW(fresh.hwnd(), GCL_STYLE), UINT(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  wchar_t name[64] = L"";
  GetClassNameW(fresh.hwnd(), name, 64);
  EXPECT_EQ(std::wstring(name).rfind(L"ATL:", 0), 0u) << Narrow(name);
  DestroyWindow(other);
  EXPECT_EQ(fresh.hwnd(), nullptr);
}

TEST_F(ProgressBarTest, EmptyBarIsOnlyTheTroughWithItsCaps) {
  bar.SetPos(0);
  Canvas canvas(kWidth, kHeight);
  Render(canvas);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) ASSERT_FALSE(IsFill(canvas.Pixel(x, y))) << x << "," << y;
    // The stretched middle is uniform; the caps carry the image's darker edge columns.
    for (int x = 10; x < kWidth - 10; ++x) ASSERT_EQ(canvas.Pixel(x, y), canvas.Pixel(200, y)) << x << "," << y;
  }
  EXPECT_LT(Brightness(canvas.Pixel(0, 7)), Brightness(canvas.Pixel(5, 7)) - 60);
  EXPECT_LT(Brightness(canvas.Pixel(kWidth - 1, 7)), Brightness(canvas.Pixel(kWidth - 6, 7)) - 60);
}

TEST_F(ProgressBarTest, FullBarIsFilledFromOneToFourFiftySix) {
  bar.SetPos(1000);
  EXPECT_FLOAT_EQ(bar.FillFraction(), 1.0f);
  Canvas canvas(kWidth, kHeight);
  Render(canvas);
  for (int y = 1; y < kHeight; ++y) {
    EXPECT_FALSE(IsFill(canvas.Pixel(0, y))) << "left trough pixel, row " << y;
    EXPECT_FALSE(IsFill(canvas.Pixel(kWidth - 1, y))) << "right trough pixel, row " << y;
    for (int x = 1; x <= 456; ++x) ASSERT_TRUE(IsFill(canvas.Pixel(x, y))) << x << "," << y;
  }
  for (int x = 0; x < kWidth; ++x) ASSERT_FALSE(IsFill(canvas.Pixel(x, 0))) << "the fill starts at row 1, " << x;
}

TEST_F(ProgressBarTest, FillFollowsThePositionAndTheScreenShowsTheSame) {
  bar.SetPos(500);
  Canvas canvas(kWidth, kHeight);
  Render(canvas);
  for (int x = 1; x <= 228; ++x) ASSERT_TRUE(IsFill(canvas.Pixel(x, 7))) << x;
  for (int x = 231; x < kWidth; ++x) ASSERT_FALSE(IsFill(canvas.Pixel(x, 7))) << x;

  UpdateWindow(bar.hwnd());
  Canvas screen(kWidth, kHeight);
  CaptureClient(bar.hwnd(), screen);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ASSERT_EQ(screen.Pixel(x, y), canvas.Pixel(x, y)) << x << "," << y;
}

TEST_F(ProgressBarTest, ShortFillIsTheWholeImageSqueezedLongFillKeepsItsEnds) {
  bar.SetRange(0, 456);
  bar.SetPos(40);  // 40 pixels: the 83-pixel image squeezed
  Canvas shortFill(kWidth, kHeight);
  Render(shortFill);
  for (int x = 1; x <= 39; ++x) ASSERT_TRUE(IsFill(shortFill.Pixel(x, 7))) << x;
  for (int x = 42; x < kWidth; ++x) ASSERT_FALSE(IsFill(shortFill.Pixel(x, 7))) << x;
  // Both darker ends are there, closer together.
  EXPECT_LT(Brightness(shortFill.Pixel(1, 7)), Brightness(shortFill.Pixel(20, 7)));
  EXPECT_LT(Brightness(shortFill.Pixel(39, 7)), Brightness(shortFill.Pixel(20, 7)));

  bar.SetPos(228);
  Canvas half(kWidth, kHeight);
  Render(half);
  bar.SetPos(456);
  Canvas full(kWidth, kHeight);
  Render(full);
  // The 30-pixel ends keep their shape whatever the length; only the middle stretches.
  for (int y = 1; y < kHeight; ++y) {
    for (int x = 1; x <= 20; ++x) ASSERT_EQ(half.Pixel(x, y), full.Pixel(x, y)) << x << "," << y;
    for (int x = 0; x < 20; ++x) ASSERT_EQ(half.Pixel(228 - x, y), full.Pixel(456 - x, y)) << x << "," << y;
    for (int x = 40; x < 190; ++x) ASSERT_EQ(half.Pixel(x, y), half.Pixel(100, y)) << x << "," << y;
  }
}

TEST_F(ProgressBarTest, HighlightSweepsOnlyOverTheFilledPart) {
  bar.SetPos(500);
  Canvas before(kWidth, kHeight);
  Render(before);  // the highlight starts half a bar left of the bar: not visible
  Step(60);
  EXPECT_NEAR(bar.ShineOffset(), 0.1f, 0.001f);
  Canvas during(kWidth, kHeight);
  Render(during);
  // The highlight now spans about x = 47 to 257, over the fill up to 228 and the trough beyond.
  EXPECT_EQ(during.Pixel(20, 7), before.Pixel(20, 7));
  EXPECT_GT(Red(during.Pixel(150, 7)), Red(before.Pixel(150, 7)) + 40);
  for (int x = 231; x < kWidth; ++x) ASSERT_EQ(during.Pixel(x, 7), before.Pixel(x, 7)) << x;

  Step(40);  // 100 steps in: just short of the end of a half fill
  EXPECT_GT(bar.ShineOffset(), 0.49f);
  Step(1);
  EXPECT_FLOAT_EQ(bar.ShineOffset(), -0.5f);
}

// The bar keeps its off-screen bitmap and the drawn trough from one paint to the next; whatever
// was painted before, into whatever kind of target and at whatever size, a paint must draw what
// a paint that makes everything anew draws.
TEST_F(ProgressBarTest, KeptPaintsMatchPlainPaintsPixelForPixel) {
  const struct {
    bool device;  // a bitmap like a window's, else a DIB section
    int width;
    int32_t position;  // of 100000
    int steps;         // of the highlight before the paint
  } cases[] = {
      {false, kWidth, 0, 0},         {false, kWidth, 0, 30},        {false, kWidth, 200, 5},
      {false, kWidth, 2200, 1},      {false, kWidth, 5000, 40},     {false, kWidth, 18200, 12},
      {false, kWidth, 18210, 3},     {false, kWidth, 50000, 60},    {false, kWidth, 50000, 1},
      {false, kWidth, 73123, 45},    {false, kWidth, 100000, 120},  {true, kWidth, 100000, 0},
      {true, kWidth, 50000, 7},      {true, kWidth, 18210, 2},      {true, kWidth, 5000, 30},
      {true, 300, 50000, 10},        {false, 300, 50000, 0},        {false, kWidth, 50000, 0},
      {true, kWidth, 0, 9},          {true, kWidth, 73123, 20},
  };
  bar.SetRange(0, 100000);
  for (const auto& c : cases) {
    bar.SetPos(c.position);
    Step(c.steps);
    Canvas kept(c.width, kHeight, c.device);
    Canvas plain(c.width, kHeight, c.device);
    bar.PaintContent(kept.dc(), c.width, kHeight);
    PaintBarPlainly(plain.dc(), c.width, kHeight, bar.FillFraction(), bar.ShineOffset());
    EXPECT_EQ(DifferingPixels(kept, plain), "") << (c.device ? "device" : "DIB") << " " << c.width << " wide, position "
                                                << c.position << ", highlight at " << bar.ShineOffset();
  }
}

// A step of the highlight repaints the bar when nobody sets its position; when the position is
// set after each step, as the frame sets it, the repaint of the position shows the step as well.
// Either way the screen shows the bar as it is.
TEST_F(ProgressBarTest, TheScreenFollowsEveryStepWithOrWithoutPositions) {
  bar.SetPos(500);
  Step(60);  // the highlight over the fill
  const auto expectScreenShowsTheBar = [&](const char* when) {
    Canvas screen(kWidth, kHeight);
    CaptureClient(bar.hwnd(), screen);
    Canvas now(kWidth, kHeight);
    Render(now);
    EXPECT_EQ(DifferingPixels(screen, now), "") << when << ", highlight at " << bar.ShineOffset();
  };
  const float start = bar.ShineOffset();
  ASSERT_TRUE(PumpUntil([&] { return bar.ShineOffset() > start + 0.035f; }));
  expectScreenShowsTheBar("the bar alone");
  for (int i = 0; i < 5; ++i) {
    const float before = bar.ShineOffset();
    ASSERT_TRUE(PumpUntil([&] { return bar.ShineOffset() != before; }));
    bar.SetPos(500 + i);
    UpdateWindow(bar.hwnd());
    expectScreenShowsTheBar("a position after the step");
  }
}

TEST_F(ProgressBarTest, AnimatesByItsOwnTimer) {
  bar.SetPos(500);
  EXPECT_TRUE(PumpUntil([&] { return bar.ShineOffset() > -0.45f; }));
}

TEST_F(ProgressBarTest, RangeTakesEffectOnlyWithTheNextPosition) {
  bar.SetPos(500);
  EXPECT_FLOAT_EQ(bar.FillFraction(), 0.5f);
  bar.SetRange(0, 2000);
  EXPECT_FLOAT_EQ(bar.FillFraction(), 0.5f);
  bar.SetPos(500);
  EXPECT_FLOAT_EQ(bar.FillFraction(), 0.25f);
  bar.SetRange(5, 5);
  bar.SetPos(5);
  EXPECT_FLOAT_EQ(bar.FillFraction(), 0.0f);
}

}  // namespace
