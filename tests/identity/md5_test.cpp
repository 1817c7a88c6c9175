#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "identity/md5.h"

namespace {

std::wstring HexOf(const std::string& text) { return Md5HexOfBuffer(text.data(), text.size()); }

std::wstring HexInPieces(const std::vector<uint8_t>& data, size_t piece) {
  Md5Context context;
  Md5Init(&context);
  for (size_t at = 0; at < data.size(); at += piece)
    Md5Update(&context, data.data() + at, uint32_t(std::min(piece, data.size() - at)));
  uint8_t digest[16];
  Md5Final(digest, &context);
  return Md5HexOfDigest(digest);
}

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> data(length);
  uint32_t x = 12345;
  for (auto& b : data) b = uint8_t((x = x * 1103515245u + 12345u) >> 16);
  return data;
}

TEST(Md5, ReproducesTheRfc1321Suite) {
  const struct {
    const char* input;
    const wchar_t* digest;
  } cases[] = {
      {"", L"d41d8cd98f00b204e9800998ecf8427e"},
      {"a", L"0cc175b9c0f1b6a831c399e269772661"},
      {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexOf(c.input), c.digest) << "input \"" << c.input << "\"";
}

// 55 bytes leave room for the length in the last block; 56 to 63 need a block of padding more.
TEST(Md5, PadsAroundTheBlockBoundary) {
  const struct {
    size_t length;
    const wchar_t* digest;  // of that many 'a'
  } cases[] = {
      {55, L"ef1772b6dff9a122358552954ad0df65"},
      {56, L"3b0c8ac703f828b04c6c197006d17218"},
      {63, L"b06521f39153d618550606be297466d5"},
      {64, L"014842d480b571495a4a0363793f7367"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexOf(std::string(c.length, 'a')), c.digest) << c.length << " bytes";
}

TEST(Md5, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
  const std::vector<uint8_t> data = Pattern(3 * 4096 + 1000);
  const std::wstring whole = HexInPieces(data, data.size());
  for (size_t piece : {1, 63, 64, 65, 4096, 5000}) EXPECT_EQ(HexInPieces(data, piece), whole) << "pieces of " << piece;
  EXPECT_EQ(Md5HexOfBuffer(data.data(), data.size()), whole);
}

TEST(Md5, ZeroLengthUpdateChangesNothingAndFinalWipesTheContext) {
  Md5Context context;
  Md5Init(&context);
  Md5Update(&context, reinterpret_cast<const uint8_t*>("ab"), 2);
  Md5Update(&context, nullptr, 0);
  Md5Update(&context, reinterpret_cast<const uint8_t*>("c"), 1);
  uint8_t digest[16];
  Md5Final(digest, &context);
  EXPECT_EQ(Md5HexOfDigest(digest), L"900150983cd24fb0d6963f7d28e17f72");
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&context);
  for (size_t i = 0; i < sizeof context; ++i) ASSERT_EQ(raw[i], 0) << "byte " << i << " of the context";
}

TEST(Md5HexOfFile, DigestsFilesAndGivesEmptyForWhatItCannotRead) {
  EXPECT_EQ(Md5HexOfFile(nullptr), L"");
  EXPECT_EQ(Md5HexOfFile(L"abc"), L"");  // shorter than 4 characters: not even looked up
  EXPECT_EQ(Md5HexOfFile(L"/nonexistent/vardex/file.bin"), L"");

  char name[] = "/tmp/vxmd5-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::wstring path(name, name + sizeof name - 1);
  EXPECT_EQ(Md5HexOfFile(path.c_str()), L"d41d8cd98f00b204e9800998ecf8427e");

  // Larger than the 1 MiB stream buffer and not a multiple of the 4096-byte block.
  const std::vector<uint8_t> data = Pattern((1 << 20) + 4097);
  FILE* f = std::fopen(name, "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  EXPECT_EQ(Md5HexOfFile(path.c_str()), Md5HexOfBuffer(data.data(), data.size()));
  std::remove(name);
}

}  // namespace
