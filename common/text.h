// Small text helpers shared by the platform-free code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Widens 8-bit text byte by byte; meant for ASCII such as formatted numbers.
std::wstring Widen(const std::string& text);
// The UTF-16 code units of a wide string (a no-op copy where wchar_t is already UTF-16).
std::u16string ToUtf16Units(const std::wstring& text);
// UTF-16 little-endian bytes, two per code unit, no terminator.
std::vector<uint8_t> ToUtf16LeBytes(const std::wstring& text);
// Lower-cases A to Z only; every other code unit stays as it is.
std::wstring AsciiLower(std::wstring text);
// Case-insensitive equality under the ASCII rule.
bool AsciiEqualNoCase(const std::wstring& a, const std::wstring& b);
