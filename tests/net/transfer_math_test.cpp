#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "net/transfer_math.h"

namespace {

TEST(ToUtf8, ConvertsWholeStringsAndMarksBrokenSurrogates) {
  struct Case {
    std::u16string units;
    std::string utf8;
  } cases[] = {
      {u"http://127.0.0.1:8080/vardexS4.exe?sid=salesvane&hwx=ab", "http://127.0.0.1:8080/vardexS4.exe?sid=salesvane&hwx=ab"},
      {u"", ""},
      {u"\u00e9\u20ac", "\xc3\xa9\xe2\x82\xac"},
      {u"\U0001F600", "\xf0\x9f\x98\x80"},
      {std::u16string(1, char16_t(0xD800)) + u"a", "\xef\xbf\xbd" "a"},
      {std::u16string(1, char16_t(0xDC00)), "\xef\xbf\xbd"},
  };
  for (const Case& c : cases) {
    std::wstring wide;
    // Build the platform's wide string from the UTF-16 units (whole code points where wchar_t is wider).
    for (size_t i = 0; i < c.units.size(); ++i) {
      const char16_t u = c.units[i];
      if (sizeof(wchar_t) == 4 && u >= 0xD800 && u <= 0xDBFF && i + 1 < c.units.size() && c.units[i + 1] >= 0xDC00 &&
          c.units[i + 1] <= 0xDFFF) {
        wide += wchar_t(0x10000 + ((u - 0xD800) << 10) + (c.units[i + 1] - 0xDC00));
        ++i;
      } else {
        wide += wchar_t(u);
      }
    }
    EXPECT_EQ(ToUtf8(wide.c_str()), c.utf8);
  }
  EXPECT_EQ(ToUtf8(nullptr), "");
}

TEST(MeanRateKBps, IsKibPerSecondSinceTheStartAndNeverDividesByZero) {
  struct Case {
    double bytes;
    uint32_t start, now;
    float rate;
  } cases[] = {
      {1024.0 * 1024.0, 1000, 1999, 1024.0f},         // 1 MiB in 1000 ms (999 + 1)
      {2048.0, 500, 500, 2000.0f},                    // the starting millisecond: divided by 1
      {0.0, 0, 100, 0.0f},
      {1024.0, 0xFFFFFFF0u, 0x00000008u, 40.0f},      // the tick counter went round: 25 ms
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(MeanRateKBps(c.bytes, c.start, c.now), c.rate) << c.bytes;
  // The byte count is rounded to single precision before the division: 2^24 + 1 counts as 2^24.
  EXPECT_EQ(MeanRateKBps(16777217.0, 7, 7), 16384000.0f);
  EXPECT_TRUE(std::isfinite(MeanRateKBps(1.0, 1, 0)));  // 2^32 ms later
}

TEST(ToCounter, KeepsTheWholePartAndSaturatesOutsideTheRange) {
  struct Case {
    double bytes;
    int32_t counter;
  } cases[] = {
      {0.0, 0},
      {1048577.9, 1048577},
      {2147483647.0, 2147483647},
      {4294967296.0 * 3, std::numeric_limits<int32_t>::max()},
      {-5.5, -5},
      {-1e20, std::numeric_limits<int32_t>::min()},
      {std::nan(""), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ToCounter(c.bytes), c.counter) << c.bytes;
}

}  // namespace
