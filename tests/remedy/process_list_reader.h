// Reads a process-list file the way the installer does: the word count, then TEA-deciphered blocks
// of UTF-16LE text. The tests' own decipher, independent of the program's encipher.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "remedy/tea.h"

inline void TeaDecipherForTest(uint32_t block[2], const TeaKey& key) {
  uint32_t v0 = block[0], v1 = block[1], sum = 0xC6EF3720;  // 32 times the delta
  for (int cycle = 0; cycle < 32; ++cycle) {
    v1 -= ((v0 << 4) + key[2]) ^ (v0 + sum) ^ ((v0 >> 5) + key[3]);
    v0 -= ((v1 << 4) + key[0]) ^ (v1 + sum) ^ ((v1 >> 5) + key[1]);
    sum -= 0x9E3779B9;
  }
  block[0] = v0;
  block[1] = v1;
}

struct DecodedProcessList {
  bool wellFormed = false;  // size is 4 + 4 × W, W even
  uint32_t wordCount = 0;
  std::vector<uint8_t> plain;  // the deciphered body, padding included
  std::u16string text;         // the body up to its zero padding
};

inline uint32_t LittleEndianWord(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

inline DecodedProcessList DecodeProcessList(const std::vector<uint8_t>& file, const TeaKey& key) {
  DecodedProcessList decoded;
  if (file.size() < 4) return decoded;
  decoded.wordCount = LittleEndianWord(file, 0);
  decoded.wellFormed = decoded.wordCount % 2 == 0 && file.size() == 4 + 4 * size_t(decoded.wordCount);
  if (!decoded.wellFormed) return decoded;
  for (size_t at = 4; at < file.size(); at += 8) {
    uint32_t block[2] = {LittleEndianWord(file, at), LittleEndianWord(file, at + 4)};
    TeaDecipherForTest(block, key);
    for (uint32_t word : block)
      for (int shift = 0; shift < 32; shift += 8) decoded.plain.push_back(uint8_t(word >> shift));
  }
  for (size_t at = 0; at + 1 < decoded.plain.size(); at += 2) {
    const char16_t unit = char16_t(decoded.plain[at] | decoded.plain[at + 1] << 8);
    if (unit == 0) break;
    decoded.text += unit;
  }
  return decoded;
}
