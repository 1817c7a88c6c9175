#include "ui/progress_geometry.h"

#include <climits>
#include <ostream>

#include <gtest/gtest.h>

std::ostream& operator<<(std::ostream& out, const ImageSlice& s) {
  const SliceRect& a = s.source;
  const SliceRect& b = s.destination;
  return out << "(" << a.x << ", " << a.y << ", " << a.width << ", " << a.height << ") onto (" << b.x << ", " << b.y
             << ", " << b.width << ", " << b.height << ")";
}

namespace {

TEST(ProgressGeometry, TroughMiddleStretchesAndItsCapsKeepTenPixels) {
  const auto slices = TroughSlices(505, 16, 458, 14);
  EXPECT_EQ(slices[0], (ImageSlice{{10, 0, 485, 16}, {0, 0, 458, 14}}));
  EXPECT_EQ(slices[1], (ImageSlice{{0, 0, 10, 16}, {0, 0, 10, 14}}));
  EXPECT_EQ(slices[2], (ImageSlice{{495, 0, 10, 16}, {448, 0, 10, 14}}));
}

TEST(ProgressGeometry, FillLeavesOnePixelOfTroughAtEachEnd) {
  const struct {
    int barWidth;
    float fraction;
    float fillWidth;
    int bitmapWidth;
  } cases[] = {
      {458, 0.0f, 0.0f, 0}, {458, 0.001f, 0.456f, 0}, {458, 0.5f, 228.0f, 228},
      {458, 1.0f, 456.0f, 456}, {458, 0.25f, 114.0f, 114}, {100, 0.5f, 49.0f, 49},
  };
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(FillWidth(c.barWidth, c.fraction), c.fillWidth) << c.barWidth << " " << c.fraction;
    EXPECT_EQ(FillBitmapWidth(FillWidth(c.barWidth, c.fraction)), c.bitmapWidth) << c.barWidth << " " << c.fraction;
  }
  EXPECT_EQ(FillBitmapWidth(83.7f), 83);
}

TEST(ProgressGeometry, ShortFillSqueezesTheWholeImage) {
  for (const float width : {1.0f, 40.5f, 83.0f}) {
    const auto slices = FillSlices(width);
    ASSERT_EQ(slices.size(), 1u) << width;
    EXPECT_EQ(slices[0], (ImageSlice{{0, 0, 83, 14}, {0, 0, width, 14}}));
  }
}

TEST(ProgressGeometry, LongFillStretchesTheMiddleAndKeepsThirtyPixelEnds) {
  for (const float width : {84.0f, 228.0f, 456.0f}) {
    const auto slices = FillSlices(width);
    ASSERT_EQ(slices.size(), 3u) << width;
    EXPECT_EQ(slices[0], (ImageSlice{{30, 0, 23, 14}, {0, 0, width, 14}}));
    EXPECT_EQ(slices[1], (ImageSlice{{0, 0, 30, 14}, {0, 0, 30, 14}}));
    EXPECT_EQ(slices[2], (ImageSlice{{53, 0, 30, 14}, {width - 30, 0, 30, 14}}));
  }
  // A full 458-pixel bar: the right end lands on the fill's last column, 456 in the window.
  const auto full = FillSlices(456.0f);
  EXPECT_EQ(full[2].destination.x + full[2].destination.width + 1, 457.0f);
}

TEST(ProgressGeometry, FillFractionIsPositionOverTheRangesSpan) {
  const struct {
    int32_t position, minimum, maximum;
    float fraction;
  } cases[] = {
      {7500000, 0, 15000000, 0.5f}, {15000000, 0, 15000000, 1.0f}, {0, 0, 15000000, 0.0f},
      {5, 10, 10, 0.0f},            {0, 0, 0, 0.0f},                {50, 100, 0, 0.5f},
      {60, 10, 110, 0.6f},  // not offset by the minimum
      {1, INT32_MIN, INT32_MAX, 1.0f / 4294967295.0f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(FillFractionOf(c.position, c.minimum, c.maximum), c.fraction)
        << c.position << " in " << c.minimum << ".." << c.maximum;
}

TEST(ProgressGeometry, ShineStartsHalfABarLeftAndSitsAtItsOffset) {
  EXPECT_EQ(ShineSlice(kShineStartOffset, 458, 210, 14), (ImageSlice{{0, 0, 210, 14}, {-229, 0, 210, 14}}));
  EXPECT_EQ(ShineSlice(0.5f, 458, 210, 14).destination.x, 229.0f);
}

TEST(ProgressGeometry, ShineSweepRestartsOncePastTheEndOfTheFill) {
  // Steps from the start until the highlight is back at the start, for a few fill fractions.
  const struct {
    float fraction;
    int steps;
  } cases[] = {{0.0f, 51}, {0.25f, 76}, {0.5f, 101}, {1.0f, 151}};
  for (const auto& c : cases) {
    float offset = kShineStartOffset;
    int steps = 0;
    do {
      offset = NextShineOffset(offset, c.fraction);
      ++steps;
    } while (offset != kShineStartOffset && steps < 1000);
    EXPECT_EQ(steps, c.steps) << c.fraction;
  }
  EXPECT_FLOAT_EQ(NextShineOffset(0.2f, 0.5f), 0.21f);
}

}  // namespace
