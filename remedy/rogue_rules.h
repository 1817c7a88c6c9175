// What makes a running process rogue: its executable's name, a pattern of generated names, or where
// its executable lies. Platform-free; the sweep supplies the expanded folders and its comparison.
#pragma once

#include <string>
#include <vector>

// Known rogue executable names, compared case-insensitively.
extern const std::vector<std::wstring> kRogueNames;
// Last four characters of generated stems.
extern const std::vector<std::wstring> kGeneratedSuffixes;
// Counts as a generated suffix only for stems of 14 characters or more.
inline constexpr wchar_t kLongStemSuffix[] = L"v121";

// System executables that are legitimate only at their expected path.
struct SystemExecutable {
  const wchar_t* name;
  const wchar_t* expectedPath;
};
extern const std::vector<SystemExecutable> kSystemExecutables;
// Known rogue install paths, before expansion.
extern const std::vector<std::wstring> kRoguePaths;
// Folders in which any executable lying directly is rogue, before expansion.
extern const std::vector<std::wstring> kSuspectFolders;
// A folder in which an executable lying directly is rogue when its name has 10 or 11 characters.
inline constexpr wchar_t kShortNameFolder[] = L"%APPDATA%\\Microsoft";

// The lists with their environment references expanded, as one sweep uses them.
struct RogueLocations {
  std::vector<std::wstring> systemPaths;     // one per kSystemExecutables entry, no trailing separator
  std::vector<std::wstring> roguePaths;      // no trailing separator
  std::vector<std::wstring> suspectFolders;  // each ending in a backslash
  std::wstring shortNameFolder;              // ending in a backslash
};

using NoCaseEqual = bool (*)(const std::wstring& a, const std::wstring& b);

bool IsRogueName(const std::wstring& name, NoCaseEqual equal);
// The rule for generated names such as "12345.exe"; the last four characters count as the
// extension, whatever they hold.
bool IsRoguePatternName(const std::wstring& name, NoCaseEqual equal);
// How many location rules call the executable `name` at the full path `path` rogue. The sweep
// tries one termination per rule that holds, in the rules' order, and stops at the first success.
int CountRogueLocationRules(const std::wstring& name, const std::wstring& path, const RogueLocations& lists,
                            NoCaseEqual equal);
