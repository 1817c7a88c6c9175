#include "remedy/process_list.h"

#include "common/text.h"

// "VXD4", "PLST", "ORVA", "NE40" read as little-endian words; the installer holds the same four.
const TeaKey kProcessListKey = {0x34445856, 0x54534C50, 0x4156524F, 0x3034454E};

namespace {

void AppendWord(std::vector<uint8_t>& bytes, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(word >> shift));
}

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

}  // namespace

std::wstring ProcessListText(const TerminatedPathSet& terminated) {
  std::wstring text;
  for (const std::wstring& path : terminated) text += path + L"|";
  return text;
}

std::vector<uint8_t> EncodeProcessList(const TerminatedPathSet& terminated) {
  std::vector<uint8_t> plain = ToUtf16LeBytes(ProcessListText(terminated));
  plain.resize((plain.size() + 7) / 8 * 8, 0);
  const size_t blocks = plain.size() / 8;
  std::vector<uint8_t> file;
  file.reserve(4 + plain.size());
  AppendWord(file, uint32_t(2 * blocks));
  for (size_t at = 0; at < plain.size(); at += 8) {
    uint32_t block[2] = {WordAt(plain, at), WordAt(plain, at + 4)};
    TeaEncipher(block, kProcessListKey);
    AppendWord(file, block[0]);
    AppendWord(file, block[1]);
  }
  return file;
}
