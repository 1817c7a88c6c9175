#include <windows.h>
#include <wininet.h>

#include "common/handles.h"
#include "net/proxy_settings.h"

namespace {

const wchar_t* const kDeletedValues[] = {L"ProxyOverride", L"ProxyServer", L"Proxy", L"AutoConfigURL"};

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void RepairConnectionRecord(HKEY settings) {
  UniqueKey connections;
  if (RegOpenKeyExW(settings, L"Connections", 0, kInternetSettingsAccess, connections.put()) != ERROR_SUCCESS) return;
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

void RepairProxySettings() {
  UniqueKey settings;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsKey, 0, kInternetSettingsAccess, settings.put()) != ERROR_SUCCESS)
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
