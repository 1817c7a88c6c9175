// The association repair on the real registry of the test prefix. Under Wine, HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes itself (HKCU's classes are not merged in), so a machine key
// is set up once and read through both.
#include <windows.h>

#include <memory>

#include "remedy/file_associations.h"
#include "remedy/registry_rules.h"
#include "remedy/remedy_test_support.h"

namespace {

const std::wstring kMachineClasses = L"SOFTWARE\\Classes\\";
const wchar_t kHijack[] = L"C:\\rogue\\loader.exe \"%1\" %*";

std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

// The keys of one test, each put back at the end.
class Keys {
 public:
  void Set(HKEY root, const std::wstring& path, const std::wstring& value, const wchar_t* name = nullptr) {
    restored_.push_back(std::make_unique<RestoredKey>(root, path));
    ASSERT_TRUE(WriteString(root, path, value, name)) << Narrow(path);
  }
  ~Keys() {
    while (!restored_.empty()) restored_.pop_back();  // the last made first
  }

 private:
  std::vector<std::unique_ptr<RestoredKey>> restored_;
};

TEST(ExecutableAssociations, MachineCommandsAndTheExeClassAreRepaired) {
  std::vector<std::wstring> absentBefore;
  for (const std::wstring& key : kCommandKeys)
    if (!KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + key)) absentBefore.push_back(key);
  Keys keys;
  keys.Set(HKEY_LOCAL_MACHINE, kMachineClasses + L"exefile\\shell\\open\\command", kHijack);
  keys.Set(HKEY_LOCAL_MACHINE, kMachineClasses + L".exe", L"roguefile");
  keys.Set(HKEY_LOCAL_MACHINE, kMachineClasses + L"comfile\\shell\\open\\command", L"");
  keys.Set(HKEY_LOCAL_MACHINE, kMachineClasses + L"htafile\\shell\\open\\command", kRepairedCommand);

  RepairExecutableAssociations();

  for (const wchar_t* key : {L"exefile", L"comfile", L"htafile"}) {
    const std::wstring command = std::wstring(key) + L"\\shell\\open\\command";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, command), kRepairedCommand) << Narrow(command);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kMachineClasses + command), kRepairedCommand) << Narrow(command);
  }
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L".exe"), kExecutableClass);
  for (const std::wstring& key : absentBefore) {
    if (key.rfind(L"comfile", 0) == 0 || key.rfind(L"htafile", 0) == 0) continue;  // the test made these
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + key)) << Narrow(key) << " was created";
  }
}

class UserAssociations : public testing::Test {
 protected:
  // A profile list entry; with `loaded`, the user's two hives as HKEY_USERS\SID and SID_Classes.
  std::wstring AddUser(const std::wstring& sid, bool loaded) {
    keys_.Set(HKEY_LOCAL_MACHINE, std::wstring(kProfileListKey) + L"\\" + sid, L"C:\\users\\vxtest", L"ProfileImagePath");
    if (loaded) {
      hives_.push_back(std::make_unique<LoadedHive>(sid));
      hives_.push_back(std::make_unique<LoadedHive>(sid + L"_Classes"));
    }
    return sid;
  }
  void Set(const std::wstring& path, const std::wstring& value, const wchar_t* name = nullptr) {
    ASSERT_TRUE(WriteString(HKEY_USERS, path, value, name)) << Narrow(path);
  }
  std::optional<std::wstring> Read(const std::wstring& path, const wchar_t* name = nullptr) {
    return ReadString(HKEY_USERS, path, name);
  }

  std::vector<std::unique_ptr<LoadedHive>> hives_;
  Keys keys_;  // made after the hives, so put back first
};

TEST_F(UserAssociations, LoadedUserHivesAreRepaired) {
  // 46 characters, as real user SIDs are.
  const std::wstring user = AddUser(L"S-1-5-21-" + Pid() + L"-1111111111-2222222222-1001", true);
  Set(user + L"_Classes\\exefile\\shell\\open\\command", kHijack);
  Set(user + L"\\Software\\Classes\\batfile\\shell\\open\\command", kHijack);
  Set(user + L"\\Software\\Classes\\.exe\\shell\\open\\command", kHijack);
  Set(user + L"\\.exe", L"roguefile");
  Set(user + L"\\Software\\Classes\\.exe", L"roguefile");
  Set(user, L"EXEFILE");
  Set(user, L"kept", L"Other");

  RepairExecutableAssociations();

  for (const std::wstring& key : {user + L"_Classes\\exefile", user + L"\\Software\\Classes\\batfile",
                                  user + L"\\Software\\Classes\\.exe"})
    EXPECT_EQ(Read(key + L"\\shell\\open\\command"), kRepairedCommand) << Narrow(key);
  for (const std::wstring& key : {user + L"_Classes\\batfile", user + L"\\Software\\Classes\\exefile",
                                  user + L"_Classes\\htafile", user + L"_Classes\\.exe"})
    EXPECT_FALSE(KeyExists(HKEY_USERS, key)) << Narrow(key) << " was created";
  EXPECT_EQ(Read(user + L"\\.exe"), kExecutableClass);
  EXPECT_EQ(Read(user + L"\\Software\\Classes\\.exe"), kExecutableClass);
  EXPECT_EQ(Read(user), std::nullopt) << "the root's \"EXEFILE\" default stays";
  EXPECT_EQ(Read(user, L"Other"), L"kept");
}

TEST_F(UserAssociations, OtherRootDefaultsShortProfileNamesAndUnloadedUsersAreLeftAlone) {
  const std::wstring other = AddUser(L"S-1-5-21-" + Pid() + L"-3333333333-4444444444-1002", true);
  Set(other, L"exefile2");
  // 29 characters: one short of a user SID.
  const std::wstring shortName = AddUser((L"S-1-5-21-" + Pid() + L"-1234567890-1234567890").substr(0, 29), true);
  Set(shortName + L"_Classes\\exefile\\shell\\open\\command", kHijack);
  Set(shortName + L"\\.exe", L"roguefile");
  const std::wstring unloaded = AddUser(L"S-1-5-21-" + Pid() + L"-5555555555-6666666666-1003", false);

  RepairExecutableAssociations();

  EXPECT_EQ(Read(other), L"exefile2");
  EXPECT_EQ(Read(shortName + L"_Classes\\exefile\\shell\\open\\command"), kHijack);
  EXPECT_EQ(Read(shortName + L"\\.exe"), L"roguefile");
  EXPECT_FALSE(KeyExists(HKEY_USERS, unloaded));
  EXPECT_FALSE(KeyExists(HKEY_USERS, unloaded + L"_Classes"));
}

}  // namespace
