// MD5 (RFC 1321), the program's own: the machine identifier and the download report's file digests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Md5Context {
  uint32_t state[4];
  uint32_t count[2];  // number of input bits modulo 2^64, low word first
  uint8_t buffer[64];  // input not yet processed
};

void Md5Init(Md5Context* context);
// Any number of calls; the digest depends only on the concatenation of all input.
void Md5Update(Md5Context* context, const uint8_t* input, uint32_t length);
// Writes the digest and wipes the context; initialise it again before reuse.
void Md5Final(uint8_t digest[16], Md5Context* context);

// 32 lower-case hex digits, digest byte 0 first.
std::wstring Md5HexOfDigest(const uint8_t digest[16]);
std::wstring Md5HexOfBuffer(const void* data, size_t length);
// Empty when the path is shorter than 4 characters or the file cannot be opened; the file is opened
// without denying others read or write access.
std::wstring Md5HexOfFile(const wchar_t* path);
