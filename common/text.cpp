#include "common/text.h"

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (unsigned char c : text) wide += wchar_t(c);
  return wide;
}

std::u16string ToUtf16Units(const std::wstring& text) {
  std::u16string units;
  units.reserve(text.size());
  for (wchar_t c : text) {
    const uint32_t code = uint32_t(c);
    if (code > 0xFFFF) {  // only where wchar_t holds whole code points
      units += char16_t(0xD800 + ((code - 0x10000) >> 10));
      units += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += char16_t(code);
    }
  }
  return units;
}

std::vector<uint8_t> ToUtf16LeBytes(const std::wstring& text) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : ToUtf16Units(text)) {
    bytes.push_back(uint8_t(unit & 0xFF));
    bytes.push_back(uint8_t(unit >> 8));
  }
  return bytes;
}

std::wstring AsciiLower(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
  return text;
}

bool AsciiEqualNoCase(const std::wstring& a, const std::wstring& b) { return AsciiLower(a) == AsciiLower(b); }
