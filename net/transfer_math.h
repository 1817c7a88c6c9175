// The arithmetic of the transfer callbacks: text for libcurl, the mean rate, the counters.
#pragma once

#include <cstdint>
#include <string>

// UTF-8 of a wide string (UTF-16 on Windows); an absent string gives an empty one. A lone surrogate
// becomes U+FFFD, as the platform's own conversion does.
std::string ToUtf8(const wchar_t* text);

// KiB per second since startTick, the elapsed milliseconds taken as an unsigned 32-bit difference
// plus one, so that a first call within the starting millisecond divides by 1.
float MeanRateKBps(double bytes, uint32_t startTick, uint32_t nowTick);

// A byte count as a 32-bit counter: whole part, saturating at the ends of the range (a count past
// 2 GiB must not wrap to a negative one), 0 for NaN.
int32_t ToCounter(double bytes);
