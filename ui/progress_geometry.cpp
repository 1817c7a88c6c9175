#include "ui/progress_geometry.h"

#include <cstdlib>

std::array<ImageSlice, 3> TroughSlices(float troughWidth, float troughHeight, float barWidth, float barHeight) {
  return {{
      {{10.0f, 0.0f, troughWidth - 20.0f, troughHeight}, {0.0f, 0.0f, barWidth, barHeight}},
      {{0.0f, 0.0f, 10.0f, troughHeight}, {0.0f, 0.0f, 10.0f, barHeight}},
      {{troughWidth - 10.0f, 0.0f, 10.0f, troughHeight}, {barWidth - 10.0f, 0.0f, 10.0f, barHeight}},
  }};
}

float FillWidth(int barWidth, float fillFraction) { return static_cast<float>(barWidth - 2) * fillFraction; }

int FillBitmapWidth(float fillWidth) { return fillWidth >= 1.0f ? static_cast<int>(fillWidth) : 0; }

std::vector<ImageSlice> FillSlices(float fillWidth) {
  if (fillWidth <= kFillImageWidth)
    return {{{0.0f, 0.0f, kFillImageWidth, kFillHeight}, {0.0f, 0.0f, fillWidth, kFillHeight}}};
  return {
      {{30.0f, 0.0f, 23.0f, kFillHeight}, {0.0f, 0.0f, fillWidth, kFillHeight}},
      {{0.0f, 0.0f, 30.0f, kFillHeight}, {0.0f, 0.0f, 30.0f, kFillHeight}},
      {{53.0f, 0.0f, 30.0f, kFillHeight}, {fillWidth - 30.0f, 0.0f, 30.0f, kFillHeight}},
  };
}

ImageSlice ShineSlice(float shineOffset, int barWidth, float shineWidth, float shineHeight) {
  return {{0.0f, 0.0f, shineWidth, shineHeight},
          {shineOffset * static_cast<float>(barWidth), 0.0f, shineWidth, shineHeight}};
}

float FillFractionOf(int32_t position, int32_t rangeMin, int32_t rangeMax) {
  const long long span = std::llabs(static_cast<long long>(rangeMax) - rangeMin);
  if (span == 0) return 0.0f;
  return static_cast<float>(position) / static_cast<float>(span);
}

float NextShineOffset(float shineOffset, float fillFraction) {
  const float next = shineOffset + 0.01f;
  return fillFraction < next ? kShineStartOffset : next;
}
