#include <gtest/gtest.h>

#include "remedy/tea.h"
#include "remedy/process_list_reader.h"

namespace {

// Published TEA vectors (Bouncy Castle's TEATest, from Shepherd's reference C code), as words.
struct TeaVector {
  TeaKey key;
  uint32_t plain[2];
  uint32_t cipher[2];
};
const TeaVector kVectors[] = {
    {{0, 0, 0, 0}, {0x00000000, 0x00000000}, {0x41ea3a0a, 0x94baa940}},
    {{0, 0, 0, 0}, {0x01020304, 0x05060708}, {0x6a2f9cf3, 0xfccf3c55}},
    {{0x01234567, 0x12345678, 0x23456789, 0x3456789A}, {0x00000000, 0x00000000}, {0x34e943b0, 0x900f5dcb}},
    {{0x01234567, 0x12345678, 0x23456789, 0x3456789A}, {0x01020304, 0x05060708}, {0x773dc179, 0x878a81c0}},
};

TEST(Tea, EnciphersThePublishedVectors) {
  for (const TeaVector& v : kVectors) {
    uint32_t block[2] = {v.plain[0], v.plain[1]};
    TeaEncipher(block, v.key);
    EXPECT_EQ(block[0], v.cipher[0]) << std::hex << v.plain[0] << " " << v.plain[1];
    EXPECT_EQ(block[1], v.cipher[1]) << std::hex << v.plain[0] << " " << v.plain[1];
  }
}

// The tests read the file with their own decipher; it must invert the published vectors too.
TEST(Tea, TheTestsDecipherInvertsThePublishedVectors) {
  for (const TeaVector& v : kVectors) {
    uint32_t block[2] = {v.cipher[0], v.cipher[1]};
    TeaDecipherForTest(block, v.key);
    EXPECT_EQ(block[0], v.plain[0]);
    EXPECT_EQ(block[1], v.plain[1]);
  }
}

}  // namespace
