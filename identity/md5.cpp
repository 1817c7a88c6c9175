#include "identity/md5.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr uint32_t kInitialState[4] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u};
constexpr size_t kPieceSize = 4096;
constexpr size_t kStreamBufferSize = 1 << 20;

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLittleEndian(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreLittleEndian(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// The four round functions in forms that need fewer operations than the textbook ones.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, x, t, s) \
  (a) += f((b), (c), (d)) + (x) + (t);   \
  (a) = RotateLeft((a), (s)) + (b)

void ProcessBlocks(uint32_t state[4], const uint8_t* data, size_t blocks) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; blocks != 0; --blocks, data += 64) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(data + 4 * i);
    const uint32_t sa = a, sb = b, sc = c, sd = d;

    MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

    MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105d, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14ed, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5);
    MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9, 14);
    MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

    MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

    MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

    a += sa;
    b += sb;
    c += sc;
    d += sd;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I
#undef MD5_STEP

size_t BufferedLength(const Md5Context* context) { return (context->count[0] >> 3) & 63; }

}  // namespace

void Md5Init(Md5Context* context) {
  std::memcpy(context->state, kInitialState, sizeof kInitialState);
  context->count[0] = context->count[1] = 0;
}

void Md5Update(Md5Context* context, const uint8_t* input, uint32_t length) {
  if (length == 0) return;
  size_t used = BufferedLength(context);
  const uint32_t bits = length << 3;
  context->count[0] += bits;
  if (context->count[0] < bits) ++context->count[1];
  context->count[1] += length >> 29;

  if (used != 0) {
    const size_t room = 64 - used;
    if (length < room) {
      std::memcpy(context->buffer + used, input, length);
      return;
    }
    std::memcpy(context->buffer + used, input, room);
    ProcessBlocks(context->state, context->buffer, 1);
    input += room;
    length -= uint32_t(room);
  }
  // Whole blocks straight from the caller's memory, without a copy.
  ProcessBlocks(context->state, input, length / 64);
  std::memcpy(context->buffer, input + (length & ~63u), length & 63u);
}

void Md5Final(uint8_t digest[16], Md5Context* context) {
  uint8_t bitCount[8];
  StoreLittleEndian(bitCount, context->count[0]);
  StoreLittleEndian(bitCount + 4, context->count[1]);

  static const uint8_t kPadding[64] = {0x80};
  const size_t used = BufferedLength(context);
  const size_t padLength = used < 56 ? 56 - used : 120 - used;
  Md5Update(context, kPadding, uint32_t(padLength));
  Md5Update(context, bitCount, 8);

  for (int i = 0; i < 4; ++i) StoreLittleEndian(digest + 4 * i, context->state[i]);
  // Volatile stores, so that wiping the context is not optimised away.
  volatile uint8_t* wipe = reinterpret_cast<volatile uint8_t*>(context);
  for (size_t i = 0; i < sizeof *context; ++i) wipe[i] = 0;
}

std::wstring Md5HexOfDigest(const uint8_t digest[16]) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex;
  hex.reserve(32);
  for (int i = 0; i < 16; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 15];
  }
  return hex;
}

std::wstring Md5HexOfBuffer(const void* data, size_t length) {
  Md5Context context;
  Md5Init(&context);
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (length != 0) {
    const size_t piece = length < kPieceSize ? length : kPieceSize;
    Md5Update(&context, bytes, uint32_t(piece));
    bytes += piece;
    length -= piece;
  }
  uint8_t digest[16];
  Md5Final(digest, &context);
  return Md5HexOfDigest(digest);
}

namespace {

FILE* OpenForSharedReading(const wchar_t* path) {
#ifdef _WIN32
  return _wfopen(path, L"rb");  // the C library opens without denying sharing
#else
  std::mbstate_t state{};
  const wchar_t* source = path;
  const size_t length = std::wcsrtombs(nullptr, &source, 0, &state);
  if (length == size_t(-1)) return nullptr;
  std::string narrow(length, '\0');
  source = path;
  std::wcsrtombs(&narrow[0], &source, length, &state);
  return std::fopen(narrow.c_str(), "rb");
#endif
}

}  // namespace

std::wstring Md5HexOfFile(const wchar_t* path) {
  if (path == nullptr || std::wcslen(path) < 4) return std::wstring();
  FILE* file = OpenForSharedReading(path);
  if (file == nullptr) return std::wstring();
  if (std::setvbuf(file, nullptr, _IOFBF, kStreamBufferSize) != 0) {
    std::fclose(file);
    return std::wstring();
  }
  Md5Context context;
  Md5Init(&context);
  std::vector<uint8_t> block(kPieceSize);
  size_t got;
  // A read error ends the loop like the end of the file.
  while ((got = std::fread(block.data(), 1, block.size(), file)) != 0)
    Md5Update(&context, block.data(), uint32_t(got));
  uint8_t digest[16];
  Md5Final(digest, &context);
  std::fclose(file);
  return Md5HexOfDigest(digest);
}
