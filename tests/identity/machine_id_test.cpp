#include <gtest/gtest.h>

#include "identity/machine_id.h"

namespace {

TEST(MachineId, FormatsTheVolumeSerialInTwoUpperCaseGroups) {
  EXPECT_EQ(FormatVolumeSerial(0x0000000Au), L"0000-000A");
  EXPECT_EQ(FormatVolumeSerial(0x1234ABCDu), L"1234-ABCD");
  EXPECT_EQ(FormatVolumeSerial(0xFFFFFFFFu), L"FFFF-FFFF");
}

TEST(MachineId, FormatsSixAdapterBytesAlways) {
  const uint8_t address[8] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x77, 0x88};
  EXPECT_EQ(FormatAdapterAddress(address), L"00-1A-2B-3C-4D-5E");
  const uint8_t zeros[6] = {};
  EXPECT_EQ(FormatAdapterAddress(zeros), L"00-00-00-00-00-00");
}

// Digests computed independently over the UTF-16LE bytes of volume text, salt and adapter text.
TEST(MachineId, HashesTheThreeTextsInOrderAsUtf16LittleEndian) {
  EXPECT_EQ(MachineIdFromTexts(L"1234-ABCD", L"00-1A-2B-3C-4D-5E"), L"9a76aea8178cd88fd6ae9f235f3b1267");
  // Swapped texts, and the same text hashed as 8-bit characters, give other digests.
  EXPECT_EQ(MachineIdFromTexts(L"00-1A-2B-3C-4D-5E", L"1234-ABCD"), L"308d6275d2834099385284d8a16c9be1");
  EXPECT_NE(MachineIdFromTexts(L"1234-ABCD", L"00-1A-2B-3C-4D-5E"), L"5578c59b13f11ea533f426eb32a66fd2");
  // No adapter: volume text and salt; nothing at all: the salt alone.
  EXPECT_EQ(MachineIdFromTexts(L"0000-000A", L""), L"9e9c6124ecf0648cec0074391cad2448");
  EXPECT_EQ(MachineIdFromTexts(L"", L""), L"33eae225208c8e21adfbfb39d1f383cd");
}

}  // namespace
