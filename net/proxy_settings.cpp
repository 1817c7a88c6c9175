#include "net/proxy_settings.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "build_config.h"
#include "common/handles.h"
#include "net/http_transfer.h"

namespace {

// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY.
constexpr REGSAM kSettingsAccess = 0x2001F;
constexpr wchar_t kProbeUrl[] = L"http://" VARDEX_PROBE_HOST;
constexpr wchar_t kProbeHost[] = VARDEX_PROBE_HOST;
const wchar_t* const kDeletedValues[] = {L"ProxyOverride", L"ProxyServer", L"Proxy", L"AutoConfigURL"};

// False when the settings key cannot be opened; a missing or unreadable value counts as 0.
bool ReadProxyEnable(DWORD* enabled) {
  *enabled = 0;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsKey, 0, kSettingsAccess, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD size = sizeof *enabled;
  if (RegQueryValueExW(key.get(), L"ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(enabled), &size) !=
      ERROR_SUCCESS)
    *enabled = 0;
  return true;
}

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void RepairConnectionRecord(HKEY settings) {
  UniqueKey connections;
  if (RegOpenKeyExW(settings, L"Connections", 0, kSettingsAccess, connections.put()) != ERROR_SUCCESS) return;
  DWORD size = 0;
  if (RegQueryValueExW(connections.get(), L"DefaultConnectionSettings", nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return;
  std::vector<uint8_t> record(size);
  if (size == 0 || RegQueryValueExW(connections.get(), L"DefaultConnectionSettings", nullptr, nullptr, record.data(),
                                    &size) != ERROR_SUCCESS)
    return;
  record.resize(size);
  bool changed = false;
  record = WithDirectConnectionFlags(std::move(record), &changed);
  if (changed)
    RegSetValueExW(connections.get(), L"DefaultConnectionSettings", 0, REG_BINARY, record.data(), DWORD(record.size()));
}

}  // namespace

bool CheckProxySettings() {
  DWORD proxyEnable = 0;
  if (!ReadProxyEnable(&proxyEnable)) return true;
  HttpRequest request;
  const int direct = request.Post(kProbeUrl, std::string());  // made whatever the setting holds
  if (proxyEnable != 1) return true;
  const bool proxiedWorks = InternetCheckConnectionW(kProbeHost, FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
  return proxiedWorks || direct != 0;
}

void RepairProxySettings() {
  UniqueKey settings;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsKey, 0, kSettingsAccess, settings.put()) != ERROR_SUCCESS)
    return;
  SetDword(settings.get(), L"ProxyEnable", 0);
  SetDword(settings.get(), L"MigrateProxy", 1);
  for (const wchar_t* name : kDeletedValues) RegDeleteValueW(settings.get(), name);
  RepairConnectionRecord(settings.get());
  settings.reset();

  InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
  DWORD recipients = BSM_APPLICATIONS;
  BroadcastSystemMessageW(BSF_POSTMESSAGE, &recipients, WM_SETTINGCHANGE, 0, 0);
}
