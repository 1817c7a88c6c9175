#include "ui/estimate_text.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "common/text.h"

namespace {

// Seconds left, truncated toward zero; a count beyond the 32-bit range (a wrapped remainder at a
// very low rate) is held at the largest value instead of overflowing.
int32_t SecondsLeft(uint32_t remaining, float rateKBps) {
  const double seconds = remaining / (static_cast<double>(rateKBps) * 1000.0);
  if (!(seconds < 2147483648.0)) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(seconds);
}

}  // namespace

std::wstring FormatEstimateText(int32_t bytesTotal, int32_t bytesDone, float rateKBps) {
  const float r = rateKBps;
  if (!(std::fabs(1.0f - r) > 0.01f && r > 0.0f))
    return bytesDone == 0 ? L"Time: awaiting connection.." : L"Time: calculating..";

  // Unsigned on purpose: more bytes than announced wrap to a long estimate.
  const uint32_t remaining = static_cast<uint32_t>(bytesTotal) - static_cast<uint32_t>(bytesDone);
  const int32_t seconds = SecondsLeft(remaining, r);
  const double rate = r;
  char text[96];
  if (seconds <= 5)
    std::snprintf(text, sizeof text, "Time: less than 5 s (%.2f KB/s)", rate);
  else if (seconds <= 60)
    std::snprintf(text, sizeof text, "Time: %d s (%.2f KB/s)", static_cast<int>(seconds), rate);
  else
    std::snprintf(text, sizeof text, "Time: %d min %d s (%.2f KB/s)", static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60), rate);
  return Widen(text);
}

std::wstring FormatPercentText(float fillFraction) {
  const float percent = fillFraction * 100.0f;
  char text[32];
  std::snprintf(text, sizeof text, "%3.0f%%", static_cast<double>(percent));
  return Widen(text);
}
