#include <gtest/gtest.h>

#include "common/text.h"
#include "remedy/rogue_rules.h"

namespace {

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(RoguePatternName, JudgesGeneratedNames) {
  const struct {
    const wchar_t* name;
    bool rogue;
  } cases[] = {
      {L"12345.exe", true},                             // five digits
      {L"1234567890.exe", true},                        // ten digits
      {L"1234.exe", false},                             // four digits
      {L"12345678901.exe", false},                      // eleven digits, no other rule
      {L"abcdefghijklmnopqrstuvwxyz-_.+#$.exe", true},  // a 32-character stem, whatever it holds
      {L"abcdefghijklmnopqrstuvwxyz-_.+#.exe", false},  // 31
      {L"abcde12345.exe", true},                        // ten characters ending in five digits
      {L"abcdefg12345.exe", true},                      // twelve
      {L"abcdefghijk12345.exe", true},                  // sixteen
      {L"abcdefghijkl12345.exe", true},                 // seventeen
      {L"abcdefghijklm12345.exe", true},                // eighteen
      {L"abcdef12345.exe", false},                      // eleven
      {L"abcdefghi1234.exe", false},                    // twelve, only four digits at the end
      {L"qwertyshdw.exe", true},                        // a generated suffix
      {L"XYZSIKK.EXE", true},                           // in any case
      {L"shdw.exe", false},                             // the suffix alone is a stem of four
      {L"abcdefghijv121.exe", true},                    // fourteen characters ending in "v121"
      {L"ABCDEFGHIJV121.exe", true},
      {L"abcdefghiv121.exe", false},                    // thirteen
      {L"shortv121.exe", false},
      {L"abc.exe", false},                              // a three-character stem
      {L"exe", false},                                  // shorter than four characters
      {L"", false},
      {L"12345.dll", true},                             // the extension is not checked
      {L"12345xexe", true},
      {L"notepad.exe", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRoguePatternName(c.name, AsciiEqualNoCase), c.rogue) << Ascii(c.name);
}

TEST(RogueName, MatchesTheListInAnyCase) {
  const struct {
    const wchar_t* name;
    bool rogue;
  } cases[] = {
      {L"svchast.exe", true},
      {L"CONTRAVIRO.EXE", true},
      {L"Windows Antivirus Pro.exe", true},
      {L"av protection 2011v121.exe", true},
      {L"livesp.exe", true},
      {L"svchost.exe", false},
      {L"svchast.ex", false},
      {L"svchast.exe ", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRogueName(c.name, AsciiEqualNoCase), c.rogue) << Ascii(c.name);
}

// The lists as a sweep on a Windows 7 machine would expand them.
RogueLocations SampleLocations() {
  RogueLocations lists;
  lists.systemPaths = {L"C:\\Windows\\system32\\svchost.exe", L"C:\\Windows\\system32\\csrss.exe"};
  lists.roguePaths = {L"C:\\Program Files\\conhost.exe",
                      L"C:\\Users\\ann\\AppData\\Roaming\\BlueFlare Antivirus\\BlueFlare Antivirus.exe"};
  lists.suspectFolders = {L"C:\\Users\\ann\\AppData\\Roaming\\", L"C:\\Users\\ann\\AppData\\Local\\Temp\\",
                          L"C:\\Users\\ann\\", L"%LOCALAPPDATA%\\", L"C:\\ProgramData\\"};
  lists.shortNameFolder = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\";
  return lists;
}

TEST(RogueLocation, CountsTheRulesThatHold) {
  const struct {
    const wchar_t* name;
    const wchar_t* path;
    int rules;
  } cases[] = {
      {L"svchost.exe", L"C:\\Windows\\System32\\SVCHOST.EXE", 0},  // the system's own
      {L"svchost.exe", L"C:\\Windows\\svchost.exe", 1},
      {L"SvcHost.exe", L"D:\\x\\SvcHost.exe", 1},
      {L"csrss.exe", L"C:\\Windows\\csrss.exe", 1},
      {L"svchost.exe", L"C:\\Users\\ann\\AppData\\Local\\Temp\\svchost.exe", 2},  // misplaced, and in %TEMP%
      {L"conhost.exe", L"c:\\program files\\CONHOST.exe", 1},
      {L"conhost.exe", L"C:\\Windows\\system32\\conhost.exe", 0},
      {L"BlueFlare Antivirus.exe", L"C:\\Users\\ann\\AppData\\Roaming\\BlueFlare Antivirus\\BlueFlare Antivirus.exe", 1},
      {L"setup.exe", L"C:\\Users\\ann\\AppData\\Local\\Temp\\setup.exe", 1},
      {L"setup.exe", L"C:\\USERS\\ANN\\APPDATA\\LOCAL\\TEMP\\setup.exe", 1},
      {L"setup.exe", L"C:\\Users\\ann\\AppData\\Local\\Temp\\sub\\setup.exe", 0},
      {L"setup.exe", L"C:\\Users\\ann\\setup.exe", 1},
      {L"setup.exe", L"C:\\ProgramData\\setup.exe", 1},
      {L"abcdef.exe", L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\abcdef.exe", 1},    // ten characters
      {L"abcdefg.exe", L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\abcdefg.exe", 1},  // eleven
      {L"abcdefgh.exe", L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\abcdefgh.exe", 0},
      {L"abcde.exe", L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\abcde.exe", 0},
      {L"notepad.exe", L"C:\\Windows\\notepad.exe", 0},
      {L"x.exe", L"C:\\Users\\ann\\AppData\\Local\\x.exe", 0},  // its variable was not expanded
      {L"longer-than-path.exe", L"C:\\a.exe", 0},
      {L"svchost.exe", L"svc", 1},  // too short for a folder: only the system-path rule is judged
  };
  const RogueLocations lists = SampleLocations();
  for (const auto& c : cases)
    EXPECT_EQ(CountRogueLocationRules(c.name, c.path, lists, AsciiEqualNoCase), c.rules) << Ascii(c.path);
}

// Equal folders in the list (as %LOCALAPPDATA% and its older spelling can be) give a second try.
TEST(RogueLocation, EachListedFolderThatHoldsIsOneMoreTry) {
  RogueLocations lists = SampleLocations();
  lists.suspectFolders.push_back(L"C:\\Users\\ann\\");
  EXPECT_EQ(CountRogueLocationRules(L"a.exe", L"C:\\Users\\ann\\a.exe", lists, AsciiEqualNoCase), 2);
}

}  // namespace
