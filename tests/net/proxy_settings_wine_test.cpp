#include <windows.h>

#include <optional>

#include "common/handles.h"
#include "net/proxy_settings.h"
#include "support/win_test_support.h"

namespace {

struct SavedValue {
  std::wstring key, name;
  std::optional<std::pair<DWORD, std::vector<uint8_t>>> value;
};

std::optional<std::pair<DWORD, std::vector<uint8_t>>> ReadValue(const std::wstring& key, const wchar_t* name) {
  DWORD type = 0, size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  std::vector<uint8_t> data(size);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size);
  return std::make_pair(type, data);
}

void WriteValue(const std::wstring& key, const wchar_t* name, DWORD type, const std::vector<uint8_t>& data) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data.data(), DWORD(data.size())), ERROR_SUCCESS);
}
void WriteDword(const wchar_t* name, DWORD value) {
  WriteValue(kInternetSettingsKey, name, REG_DWORD, std::vector<uint8_t>((uint8_t*)&value, (uint8_t*)&value + 4));
}
void WriteText(const wchar_t* name, const std::wstring& text) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(text.c_str());
  WriteValue(kInternetSettingsKey, name, REG_SZ, std::vector<uint8_t>(p, p + (text.size() + 1) * 2));
}

const std::wstring kConnections = std::wstring(kInternetSettingsKey) + L"\\Connections";
const wchar_t* const kProxyValues[] = {L"ProxyEnable", L"MigrateProxy", L"ProxyOverride", L"ProxyServer", L"Proxy",
                                       L"AutoConfigURL"};

// The current user's Internet settings of the test prefix, put back as they were afterwards.
class ProxySettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : kProxyValues) saved_.push_back({kInternetSettingsKey, name, ReadValue(kInternetSettingsKey, name)});
    saved_.push_back({kConnections, L"DefaultConnectionSettings", ReadValue(kConnections, L"DefaultConnectionSettings")});
    connectionsExisted_ = RegOpenKeyExW(HKEY_CURRENT_USER, kConnections.c_str(), 0, KEY_READ, UniqueKey().put()) ==
                          ERROR_SUCCESS;
  }
  void TearDown() override {
    for (const SavedValue& v : saved_) {
      if (v.value)
        RegSetKeyValueW(HKEY_CURRENT_USER, v.key.c_str(), v.name.c_str(), v.value->first, v.value->second.data(),
                        DWORD(v.value->second.size()));
      else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, v.key.c_str(), v.name.c_str());
    }
    if (!connectionsExisted_) RegDeleteKeyW(HKEY_CURRENT_USER, kConnections.c_str());
  }
  void HijackProxy() {
    WriteDword(L"ProxyEnable", 1);
    WriteDword(L"MigrateProxy", 0);
    WriteText(L"ProxyServer", L"127.0.0.1:9");
    WriteText(L"ProxyOverride", L"<local>");
    WriteText(L"Proxy", L"x");
    WriteText(L"AutoConfigURL", L"http://127.0.0.1:9/proxy.pac");
  }
  void ExpectRepaired() {
    const auto enable = ReadValue(kInternetSettingsKey, L"ProxyEnable");
    ASSERT_TRUE(enable);
    EXPECT_EQ(enable->first, DWORD(REG_DWORD));
    EXPECT_EQ(enable->second, (std::vector<uint8_t>{0, 0, 0, 0}));
    const auto migrate = ReadValue(kInternetSettingsKey, L"MigrateProxy");
    ASSERT_TRUE(migrate);
    EXPECT_EQ(migrate->second, (std::vector<uint8_t>{1, 0, 0, 0}));
    for (const wchar_t* gone : {L"ProxyOverride", L"ProxyServer", L"Proxy", L"AutoConfigURL"})
      EXPECT_FALSE(ReadValue(kInternetSettingsKey, gone)) << Narrow(gone) << " should be deleted";
  }

  std::vector<SavedValue> saved_;
  bool connectionsExisted_ = false;
};

TEST_F(ProxySettingsTest, RepairSwitchesTheProxyOffAndKeepsTheRestOfTheConnectionRecord) {
  HijackProxy();
  std::vector<uint8_t> record(60);
  for (size_t i = 0; i < record.size(); ++i) record[i] = uint8_t(0x40 + i);
  record[8] = 3, record[9] = record[10] = record[11] = 0;
  WriteValue(kConnections, L"DefaultConnectionSettings", REG_BINARY, record);

  RepairProxySettings();
  ExpectRepaired();
  std::vector<uint8_t> expected = record;
  expected[8] = 9;
  auto repaired = ReadValue(kConnections, L"DefaultConnectionSettings");
  ASSERT_TRUE(repaired);
  EXPECT_EQ(repaired->first, DWORD(REG_BINARY));
  EXPECT_EQ(repaired->second, expected);

  RepairProxySettings();  // a second run leaves the same state
  ExpectRepaired();
  EXPECT_EQ(ReadValue(kConnections, L"DefaultConnectionSettings")->second, expected);
}

TEST_F(ProxySettingsTest, RepairWithAShortOrMissingRecordStillSwitchesTheProxyOff) {
  HijackProxy();
  const std::vector<uint8_t> shortRecord = {1, 2, 3, 4, 5, 6, 7, 8, 3, 0, 0};
  WriteValue(kConnections, L"DefaultConnectionSettings", REG_BINARY, shortRecord);
  RepairProxySettings();
  ExpectRepaired();
  EXPECT_EQ(ReadValue(kConnections, L"DefaultConnectionSettings")->second, shortRecord);

  HijackProxy();
  RegDeleteTreeW(HKEY_CURRENT_USER, kConnections.c_str());
  RepairProxySettings();
  ExpectRepaired();
}

}  // namespace
