#include "remedy/rogue_rules.h"

#include <algorithm>

#include "common/text.h"

const std::vector<std::wstring> kRogueNames = {
    L"svchast.exe",
    L"lsascs.exe",
    L"windows antivirus pro.exe",
    L"contraviro.exe",
    L"akm antivirus 2010 pro.exe",
    L"cntprot.exe",
    L"xjr antivirus.exe",
    L"sysinternals antivirus.exe",
    L"antivirus7.exe",
    L"defcnt.exe",
    L"msiexecs.exe",
    L"milestone antivirus.exe",
    L"opencloud security.exe",
    L"protect.exe",
    L"crss.exe",
    L"svhostu.exe",
    L"av security 2012v121.exe",
    L"system security 2012v121.exe",
    L"av protection 2011v121.exe",
    L"temp68.exe",
    L"livesp.exe",
};

const std::vector<std::wstring> kGeneratedSuffixes = {
    L"shdw", L"tssd", L"affm", L"agnz", L"dlta", L"tsbl", L"yhsn", L"uqiw", L"lajb",
    L"usbs", L"uerb", L"sjmo", L"sika", L"sikk", L"hmof", L"jfdi", L"xsik",
};

const std::vector<SystemExecutable> kSystemExecutables = {
    {L"svchost.exe", L"%windir%\\system32\\svchost.exe"},
    {L"csrss.exe", L"%windir%\\system32\\csrss.exe"},
};

const std::vector<std::wstring> kRoguePaths = {
    L"%programfiles%\\conhost.exe",
    L"%AppData%\\BlueFlare Antivirus\\BlueFlare Antivirus.exe",
    L"%AppData%\\Wolfram Antivirus\\Wolfram Antivirus.exe",
    L"%AppData%\\OpenCloud Antivirus\\OpenCloud Antivirus.exe",
};

const std::vector<std::wstring> kSuspectFolders = {
    L"%AppData%",
    L"%TEMP%",
    L"%USERPROFILE%",
    L"%LOCALAPPDATA%",
    L"%ALLUSERSPROFILE%",
    L"%ALLUSERSPROFILE%\\Application Data",
    L"%USERPROFILE%\\Local Settings\\Application Data",
    L"%ALLUSERSPROFILE%\\pcdfdata",
    L"%ALLUSERSPROFILE%\\Application Data\\pcdfdata",
};

namespace {

bool IsAsciiDigits(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool IsGeneratedSuffix(const std::wstring& suffix, NoCaseEqual equal) {
  return std::any_of(kGeneratedSuffixes.begin(), kGeneratedSuffixes.end(),
                     [&](const std::wstring& s) { return equal(s, suffix); });
}

int CountMatches(const std::vector<std::wstring>& list, const std::wstring& value, NoCaseEqual equal) {
  return int(std::count_if(list.begin(), list.end(), [&](const std::wstring& item) { return equal(item, value); }));
}

}  // namespace

bool IsRogueName(const std::wstring& name, NoCaseEqual equal) { return CountMatches(kRogueNames, name, equal) > 0; }

bool IsRoguePatternName(const std::wstring& name, NoCaseEqual equal) {
  if (name.size() < 4) return false;
  const std::wstring stem = name.substr(0, name.size() - 4);
  const size_t n = stem.size();
  if (n == 32) return true;
  if (n >= 5 && n <= 10 && IsAsciiDigits(stem)) return true;
  if ((n == 10 || n == 12 || n == 16 || n == 17 || n == 18) && IsAsciiDigits(stem.substr(n - 5))) return true;
  if (n <= 4) return false;
  const std::wstring last4 = stem.substr(n - 4);
  return IsGeneratedSuffix(last4, equal) || (n >= 14 && equal(last4, kLongStemSuffix));
}

int CountRogueLocationRules(const std::wstring& name, const std::wstring& path, const RogueLocations& lists,
                            NoCaseEqual equal) {
  int rules = 0;
  for (size_t i = 0; i < kSystemExecutables.size() && i < lists.systemPaths.size(); ++i)
    if (equal(name, kSystemExecutables[i].name) && !equal(path, lists.systemPaths[i])) ++rules;
  rules += CountMatches(lists.roguePaths, path, equal);
  if (path.size() < name.size()) return rules;  // no folder left to judge
  const std::wstring folder = AsciiLower(path.substr(0, path.size() - name.size()));
  rules += CountMatches(lists.suspectFolders, folder, equal);
  if (equal(folder, lists.shortNameFolder) && (name.size() == 10 || name.size() == 11)) ++rules;
  return rules;
}
