// The debugger-hijack removal on the real Image File Execution Options key of the test prefix, with
// subkeys of the test's own.
#include <windows.h>

#include <memory>

#include "remedy/debugger_hijacks.h"
#include "remedy/registry_rules.h"
#include "remedy/remedy_test_support.h"

namespace {

const wchar_t kDebugger[] = L"C:\\rogue\\debugger.exe";

std::wstring OptionsKey(const std::wstring& name) { return std::wstring(kImageOptionsKey) + L"\\" + name; }

TEST(DebuggerHijacks, AreRemovedFromExecutableKeysOnlyWithEitherAccess) {
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const struct {
    std::wstring name;
    bool removed;
  } keys[] = {
      {L"vxtest-" + pid + L"-a.exe", true},
      {L"VXTEST-" + pid + L"-B.EXE", true},
      {L"vxtest-" + pid + L"-c.Exe", true},
      {L"vxtest-" + pid + L"-d.dll", false},
      {L"vxtest-" + pid + L".exe.local", false},
      {L".exe", false},  // four characters: no executable's key
  };
  for (bool fullAccess : {true, false}) {
    std::vector<std::unique_ptr<RestoredKey>> restored;
    for (const auto& key : keys) {
      ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, OptionsKey(key.name))) << Narrow(key.name) << " is not the test's own";
      restored.push_back(std::make_unique<RestoredKey>(HKEY_LOCAL_MACHINE, OptionsKey(key.name)));
      ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, OptionsKey(key.name), kDebugger, kDebuggerValue));
      ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, OptionsKey(key.name), L"2", L"GlobalFlag"));
    }

    RemoveDebuggerHijacks(fullAccess);

    for (const auto& key : keys) {
      const std::wstring path = OptionsKey(key.name);
      EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, path, kDebuggerValue).has_value(), !key.removed)
          << Narrow(key.name) << (fullAccess ? " with full access" : " with read access");
      EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, path, L"GlobalFlag"), L"2") << Narrow(key.name);
    }
  }
}

}  // namespace
