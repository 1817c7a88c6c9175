#include "net/transfer_math.h"

#include <cmath>
#include <limits>

#include "common/text.h"

namespace {

void AppendCodePoint(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string ToUtf8(const wchar_t* text) {
  std::string out;
  if (text == nullptr) return out;
  const std::u16string units = ToUtf16Units(text);
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      AppendCodePoint(out, 0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (uint32_t(units[i + 1]) - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendCodePoint(out, 0xFFFD);
    } else {
      AppendCodePoint(out, unit);
    }
  }
  return out;
}

float MeanRateKBps(double bytes, uint32_t startTick, uint32_t nowTick) {
  const uint32_t elapsed = nowTick - startTick + 1u;
  if (elapsed == 0) return 0.0f;  // exactly 2^32 ms later: the clock went round once
  const float received = float(bytes);
  return float(double(received) / 1024.0 / double(elapsed) * 1000.0);
}

int32_t ToCounter(double bytes) {
  if (std::isnan(bytes)) return 0;
  if (bytes >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (bytes <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return int32_t(bytes);
}
