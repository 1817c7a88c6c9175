#include <windows.h>

#include "net/proxy_settings.h"
#include "support/registry_values.h"
#include "support/win_test_support.h"

namespace {

const std::wstring kConnections = std::wstring(kInternetSettingsKey) + L"\\Connections";

// The current user's Internet settings of the test prefix, put back as they were afterwards.
class ProxySettingsTest : public testing::Test {
 protected:
  void HijackProxy() {
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", DwordValue(1));
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"MigrateProxy", DwordValue(0));
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", StringValue(L"127.0.0.1:9"));
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyOverride", StringValue(L"<local>"));
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"Proxy", StringValue(L"x"));
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"AutoConfigURL",
                       StringValue(L"http://127.0.0.1:9/proxy.pac"));
  }
  void ExpectRepaired() {
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable"), DwordValue(0));
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"MigrateProxy"), DwordValue(1));
    for (const wchar_t* gone : {L"ProxyOverride", L"ProxyServer", L"Proxy", L"AutoConfigURL"})
      EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, gone)) << Narrow(gone) << " stays";
  }
  void WriteRecord(const std::vector<uint8_t>& record) {
    ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings",
                                   RegistryValue{REG_BINARY, record}));
  }

  SavedRegistryValues settings_{HKEY_CURRENT_USER, kInternetSettingsKey,
                                {L"ProxyEnable", L"MigrateProxy", L"ProxyOverride", L"ProxyServer", L"Proxy",
                                 L"AutoConfigURL"}};
  SavedRegistryValues connections_{HKEY_CURRENT_USER, kConnections, {L"DefaultConnectionSettings"}};
};

TEST_F(ProxySettingsTest, RepairSwitchesTheProxyOffAndKeepsTheRestOfTheConnectionRecord) {
  HijackProxy();
  std::vector<uint8_t> record(60);
  for (size_t i = 0; i < record.size(); ++i) record[i] = uint8_t(0x40 + i);
  record[8] = 3, record[9] = record[10] = record[11] = 0;
  WriteRecord(record);

  std::vector<uint8_t> expected = record;
  expected[8] = 9;
  for (int run = 1; run <= 2; ++run) {  // a second run leaves the same state
    SCOPED_TRACE("run " + std::to_string(run));
    RepairProxySettings();
    ExpectRepaired();
    EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings"),
              (RegistryValue{REG_BINARY, expected}));
  }
}

TEST_F(ProxySettingsTest, RepairWithAShortOrMissingRecordStillSwitchesTheProxyOff) {
  HijackProxy();
  const std::vector<uint8_t> shortRecord = {1, 2, 3, 4, 5, 6, 7, 8, 3, 0, 0};
  WriteRecord(shortRecord);
  RepairProxySettings();
  ExpectRepaired();
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings"),
            (RegistryValue{REG_BINARY, shortRecord}));

  HijackProxy();
  RegDeleteTreeW(HKEY_CURRENT_USER, kConnections.c_str());
  RepairProxySettings();
  ExpectRepaired();
}

}  // namespace
