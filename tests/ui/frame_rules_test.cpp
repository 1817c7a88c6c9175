#include "ui/frame_rules.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
  return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
std::ostream& operator<<(std::ostream& out, const PixelPoint& p) { return out << "(" << p.x << ", " << p.y << ")"; }

namespace {

TEST(FrameLayout, PlacesBarAndTextLinesForTheSkinInAThreePixelBorder) {
  // AdjustWindowRect's answer for the 482 x 156 skin with a caption and a 3-pixel frame.
  const FrameLayout layout = ComputeFrameLayout({-3, -22, 485, 159});
  EXPECT_EQ(layout.inset, 1);
  EXPECT_EQ(layout.outerWidth, 488);
  EXPECT_EQ(layout.bar, (PixelRect{11, 130, 469, 144}));
  EXPECT_EQ(layout.bar.Width(), 458);
  EXPECT_EQ(layout.bar.Height(), 14);
  EXPECT_EQ(layout.estimateRect, (PixelRect{14, 112, 469, 126}));
  EXPECT_EQ(layout.statusRect, (PixelRect{14, 92, 469, 126}));
}

TEST(FrameLayout, InsetIsHalfTheBorderTruncated) {
  const struct {
    int left;
    int inset;
  } cases[] = {{0, 0}, {-1, 0}, {-2, 1}, {-3, 1}, {-4, 2}, {-5, 2}, {-8, 4}};
  for (const auto& c : cases) {
    const FrameLayout layout = ComputeFrameLayout({c.left, -20, 482 - c.left, 156 - c.left});
    EXPECT_EQ(layout.inset, c.inset) << "left " << c.left;
    // The bar and the text lines keep their distances to the border, whatever its width.
    EXPECT_EQ(layout.bar.left, c.inset + 10);
    EXPECT_EQ(layout.bar.right, layout.estimateRect.right);
    EXPECT_EQ(layout.estimateRect.left, layout.bar.left + 3);
  }
}

TEST(Centring, CentresOnTheWorkAreaAndKeepsTheWindowInside) {
  const struct {
    PixelRect work;
    int width, height;
    PixelPoint expected;
  } cases[] = {
      {{0, 0, 1024, 768}, 488, 181, {268, 294}},
      {{0, 0, 1023, 767}, 487, 181, {268, 293}},            // halves truncate
      {{1024, 0, 2048, 738}, 488, 181, {1292, 279}},        // a second monitor, a task bar below
      {{-1279, 0, 0, 1024}, 488, 181, {-883, 422}},         // left of the primary: truncation toward zero
      {{0, 0, 300, 200}, 488, 181, {0, 10}},                // too wide: pinned to the left edge
      {{0, 0, 1024, 100}, 488, 181, {268, 0}},              // too high: pinned to the top
      {{0, 0, 488, 181}, 488, 181, {0, 0}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CentreInWorkArea(c.work, c.width, c.height), c.expected) << c.work << " " << c.width << "x" << c.height;
}

TEST(RefreshTick, TakesOnlyPositionsWithinTheRange) {
  const struct {
    int32_t done, total;
    bool taken;
  } cases[] = {
      {0, 0, true}, {0, 15000000, true}, {7500000, 15000000, true}, {15000000, 15000000, true},
      {15000001, 15000000, false}, {-1, 15000000, false}, {1000, 0, false}, {0, -5, false},
      {INT32_MIN, INT32_MAX, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPositionInRange(c.done, c.total), c.taken) << c.done << " of " << c.total;
}

TEST(RefreshTick, StatusLineSaysConnectingUntilTheFirstByte) {
  EXPECT_STREQ(StatusTextFor(0), L"Connecting to server..");
  EXPECT_STREQ(StatusTextFor(1), L"Downloading Vardex installer..");
  EXPECT_STREQ(StatusTextFor(15000000), L"Downloading Vardex installer..");
}

TEST(CommandLine, ReportModeNeedsTheExactLettersAnywhere) {
  const struct {
    const wchar_t* line;
    bool report;
  } cases[] = {
      {L"-ver", true},          {L"\"C:\\x\\VardexDownloader.exe\" -ver", true},
      {L"/quiet -ver", true},   {L"-verbose", true},
      {L"x-ver", true},         {L"-VER", false},
      {L"/ver", false},         {L"- ver", false},
      {L"", false},             {nullptr, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HasReportSwitch(c.line), c.report) << (c.line ? std::wstring(c.line).size() : 0u);
}

}  // namespace
