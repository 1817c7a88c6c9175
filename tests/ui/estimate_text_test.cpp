#include "ui/estimate_text.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

struct EstimateCase {
  int32_t bytesTotal;
  int32_t bytesDone;
  float rateKBps;
  const wchar_t* expected;
};

TEST(EstimateText, FollowsTheRateAndTheBytesLeft) {
  const EstimateCase cases[] = {
      // No usable rate: which text depends only on whether a byte has arrived.
      {15000000, 0, 0.0f, L"Time: awaiting connection.."},
      {15000000, 1000, 0.0f, L"Time: calculating.."},
      {15000000, 1000, -3.0f, L"Time: calculating.."},
      {15000000, 0, -3.0f, L"Time: awaiting connection.."},
      {0, 0, 0.0f, L"Time: awaiting connection.."},
      // A rate within 0.01 of 1 KB/s shows no estimate although data flows.
      {15000000, 1000, 1.005f, L"Time: calculating.."},
      {15000000, 1000, 1.0f, L"Time: calculating.."},
      {15000000, 1000, 0.99f, L"Time: calculating.."},
      {15000000, 1000, 1.01f, L"Time: calculating.."},
      {15000000, 0, 1.005f, L"Time: awaiting connection.."},
      {15000000, 1000, 1.02f, L"Time: 245 min 4 s (1.02 KB/s)"},
      {15000000, 1000, 0.98f, L"Time: 255 min 5 s (0.98 KB/s)"},
      // Seconds are bytes left over the rate times 1000, not 1024.
      {1250000, 1000000, 50.0f, L"Time: less than 5 s (50.00 KB/s)"},
      {1300000, 1000000, 50.0f, L"Time: 6 s (50.00 KB/s)"},
      {4000000, 1000000, 50.0f, L"Time: 60 s (50.00 KB/s)"},
      {4050000, 1000000, 50.0f, L"Time: 1 min 1 s (50.00 KB/s)"},
      {1000, 1000, 50.0f, L"Time: less than 5 s (50.00 KB/s)"},
      // Before the server tells the size, the estimate is made against the 15000000 placeholder.
      {15000000, 0, 50.0f, L"Time: 5 min 0 s (50.00 KB/s)"},
      {10000000, 5000000, 480.25f, L"Time: 10 s (480.25 KB/s)"},
      // More bytes than announced (or a total of 0, size unknown) wrap to a long estimate.
      {0, 1000, 50.0f, L"Time: 1431 min 39 s (50.00 KB/s)"},
      {15000000, 15001000, 50.0f, L"Time: 1431 min 39 s (50.00 KB/s)"},
      // Seconds beyond the 32-bit range are held at the largest count.
      {0, 1, 0.000001f, L"Time: 35791394 min 7 s (0.00 KB/s)"},
  };
  for (const EstimateCase& c : cases) {
    EXPECT_EQ(FormatEstimateText(c.bytesTotal, c.bytesDone, c.rateKBps), c.expected)
        << "total " << c.bytesTotal << ", done " << c.bytesDone << ", rate " << c.rateKBps;
  }
}

TEST(EstimateText, TreatsANonNumberRateAsNoRate) {
  EXPECT_EQ(FormatEstimateText(15000000, 1000, std::nanf("")), L"Time: calculating..");
  EXPECT_EQ(FormatEstimateText(15000000, 0, std::nanf("")), L"Time: awaiting connection..");
}

TEST(PercentText, IsWholePercentPaddedToThreeCharacters) {
  const struct {
    float fraction;
    const wchar_t* expected;
  } cases[] = {
      {0.0f, L"  0%"}, {0.5f, L" 50%"}, {1.0f, L"100%"}, {0.004f, L"  0%"}, {0.996f, L"100%"},
      {0.0731f, L"  7%"}, {0.333333f, L" 33%"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPercentText(c.fraction), c.expected) << c.fraction;
}

}  // namespace
