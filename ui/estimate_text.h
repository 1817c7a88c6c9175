// The time and rate line of the window and the percentage at its right end.
#pragma once

#include <cstdint>
#include <string>

// From the counters of the current transfer and its mean rate in KB/s (1 KB = 1024 bytes):
// "Time: less than 5 s (...)", "Time: N s (...)", "Time: N min N s (...)", or, without a usable
// rate, "Time: awaiting connection.." before the first byte and "Time: calculating.." after it.
std::wstring FormatEstimateText(int32_t bytesTotal, int32_t bytesDone, float rateKBps);

// The fill fraction as whole percent, right-aligned in three characters: "  0%", " 50%", "100%".
std::wstring FormatPercentText(float fillFraction);
