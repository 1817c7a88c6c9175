#include <gtest/gtest.h>

#include "common/text.h"
#include "remedy/process_list.h"
#include "remedy/process_list_reader.h"

namespace {

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t at = 0; at + 1 < hex.size(); at += 2) bytes.push_back(uint8_t(std::stoi(hex.substr(at, 2), nullptr, 16)));
  return bytes;
}

// Files computed apart from the program (a small Python TEA over the same layout and key).
TEST(ProcessListFile, MatchesIndependentlyComputedFiles) {
  const struct {
    TerminatedPathSet set;
    const char* hex;
  } cases[] = {
      {{L"c:\\x.exe"}, "06000000a7df05e255b6e86f8f69b7544d03b6400b03f77746d0b94a"},
      {{L"c:\\users\\root\\temp\\12345.exe", L"c:\\program files\\conhost.exe"},
       "1e0000001b004c6d471096f96e8587542081b361d7d88f97718b8599e381bb136a1909cfc66226035410ccc221e007ef03fce30d8f"
       "69b7544d03b640d44dd5aca22a58d8a75b8b048cded06e5e7d268193e562989e8d8e26905fa031b0b3a95659a0a259f149e03db037"
       "9fc77bccfbc4ec350f26a6148913dea84711"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeProcessList(c.set), FromHex(c.hex)) << c.hex;
}

// Layout by text length: 4k units need no padding; 4k + 1 end in a block of "|" and six zero bytes.
TEST(ProcessListFile, PadsTheTextToWholeBlocks) {
  const struct {
    std::wstring entry;
    uint32_t words;
    size_t fileSize;
  } cases[] = {
      {L"c:\\x.exe", 6, 28},    // 9 units, 18 bytes padded to 24
      {L"c:\\a.ex", 4, 20},     // 8 units: two blocks, no padding
      {L"c:\\a", 4, 20},        // 5 units: the second block holds "|" alone
      {L"c:\\abcdefghijk", 8, 36},  // 15 + 1 units
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> file = EncodeProcessList({c.entry});
    const DecodedProcessList decoded = DecodeProcessList(file, kProcessListKey);
    ASSERT_TRUE(decoded.wellFormed) << Ascii(c.entry);
    EXPECT_EQ(decoded.wordCount, c.words);
    EXPECT_EQ(file.size(), c.fileSize);
    EXPECT_EQ(decoded.text, ToUtf16Units(c.entry + L"|"));
    const size_t textBytes = 2 * (c.entry.size() + 1);
    for (size_t at = textBytes; at < decoded.plain.size(); ++at) EXPECT_EQ(decoded.plain[at], 0) << at;
  }
}

TEST(ProcessListFile, HoldsEveryEntryInCodeUnitOrderAsUtf16) {
  // By code unit: "." (0x2E) before "_" (0x5F), ASCII before other letters.
  const TerminatedPathSet set = {L"c:\\users\\j\u00fcrgen\\x.exe", L"c:\\\u4e2d.exe", L"c:\\a_.exe", L"c:\\a.exe"};
  const DecodedProcessList decoded = DecodeProcessList(EncodeProcessList(set), kProcessListKey);
  ASSERT_TRUE(decoded.wellFormed);
  EXPECT_EQ(decoded.text, ToUtf16Units(L"c:\\a.exe|c:\\a_.exe|c:\\users\\j\u00fcrgen\\x.exe|c:\\\u4e2d.exe|"));
}

}  // namespace
