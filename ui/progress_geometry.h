// The progress bar's arithmetic: how its three images are sliced and stretched, how much of it is
// filled, and how the highlight moves.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct SliceRect {
  float x, y, width, height;
  bool operator==(const SliceRect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

// A part of an image and where it is drawn.
struct ImageSlice {
  SliceRect source;
  SliceRect destination;
  bool operator==(const ImageSlice& o) const { return source == o.source && destination == o.destination; }
};

// The fill image's size and slices; its columns 25 to 57 are alike, so the middle stretches cleanly.
inline constexpr float kFillImageWidth = 83.0f;
inline constexpr float kFillHeight = 14.0f;

// The trough's middle stretched over the whole bar, then its 10-pixel caps at both ends.
std::array<ImageSlice, 3> TroughSlices(float troughWidth, float troughHeight, float barWidth, float barHeight);

// (barWidth - 2) x fillFraction, in single precision: one pixel of trough stays at each end.
float FillWidth(int barWidth, float fillFraction);
// Whole pixels of the fill bitmap; 0 (nothing to draw) for a fill under one pixel.
int FillBitmapWidth(float fillWidth);

// Onto a fill bitmap `fillWidth` wide: up to 83 pixels the whole image squeezed; beyond, the middle
// stretched and the 30-pixel ends kept as they are.
std::vector<ImageSlice> FillSlices(float fillWidth);

// The whole highlight, its left edge at shineOffset bar widths.
ImageSlice ShineSlice(float shineOffset, int barWidth, float shineWidth, float shineHeight);

// position / |rangeMax - rangeMin|, or 0 for an empty range; the position is not offset by rangeMin.
float FillFractionOf(int32_t position, int32_t rangeMin, int32_t rangeMax);

// One animation step: a hundredth of the bar to the right, back to half a bar left of the start once
// it has passed the end of the fill.
float NextShineOffset(float shineOffset, float fillFraction);
inline constexpr float kShineStartOffset = -0.5f;
