// The process-list file that the sweep leaves for the installer: the terminated paths, each followed
// by "|", as UTF-16LE, zero-padded to whole 8-byte blocks, each block enciphered with TEA, behind a
// little-endian count of the body's 32-bit words.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "remedy/tea.h"

// Lower-cased full paths of the terminated processes, ordered by code unit.
using TerminatedPathSet = std::set<std::wstring>;

// Where the file goes, before expansion.
inline constexpr wchar_t kProcessListFile[] = L"%temp%\\vx4plist.dat";

// The key that the installer deciphers the file with.
extern const TeaKey kProcessListKey;

// Every entry in set order, each followed by "|".
std::wstring ProcessListText(const TerminatedPathSet& terminated);
// The whole file: word count, then the enciphered blocks.
std::vector<uint8_t> EncodeProcessList(const TerminatedPathSet& terminated);
