#include "remedy/tea.h"

void TeaEncipher(uint32_t block[2], const TeaKey& key) {
  constexpr uint32_t kDelta = 0x9E3779B9;
  uint32_t v0 = block[0];
  uint32_t v1 = block[1];
  uint32_t sum = 0;
  for (int cycle = 0; cycle < 32; ++cycle) {
    sum += kDelta;
    v0 += ((v1 << 4) + key[0]) ^ (v1 + sum) ^ ((v1 >> 5) + key[1]);
    v1 += ((v0 << 4) + key[2]) ^ (v0 + sum) ^ ((v0 >> 5) + key[3]);
  }
  block[0] = v0;
  block[1] = v1;
}
