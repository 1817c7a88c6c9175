#include "net/proxy_settings.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "build_config.h"
#include "common/handles.h"
#include "net/http_transfer.h"

namespace {

constexpr wchar_t kProbeUrl[] = L"http://" VARDEX_PROBE_HOST;
constexpr wchar_t kProbeHost[] = VARDEX_PROBE_HOST;

// False when the settings key cannot be opened; a missing or unreadable value counts as 0.
bool ReadProxyEnable(DWORD* enabled) {
  *enabled = 0;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsKey, 0, kInternetSettingsAccess, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD size = sizeof *enabled;
  if (RegQueryValueExW(key.get(), L"ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(enabled), &size) !=
      ERROR_SUCCESS)
    *enabled = 0;
  return true;
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
