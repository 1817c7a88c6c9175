// TEA, the Tiny Encryption Algorithm of Wheeler and Needham: the cipher of the process-list file.
#pragma once

#include <array>
#include <cstdint>

using TeaKey = std::array<uint32_t, 4>;

// Enciphers one 64-bit block in place: 32 cycles, delta 0x9E3779B9; block[0] is the word that each
// cycle updates first.
void TeaEncipher(uint32_t block[2], const TeaKey& key);
