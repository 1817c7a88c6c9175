// Detects Internet proxy settings that block the connection and, with the user's consent,
// switches the proxy off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY.
inline constexpr uint32_t kInternetSettingsAccess = 0x2001F;

inline constexpr wchar_t kProxyQuestionText[] =
    L"Vardex has detected possible issues with your Internet connection proxy settings. These issues may have been "
    L"caused by malware installed on your system.\n\nDo you want Vardex to repair your Internet connection by "
    L"disabling proxy settings?";

// False when the proxy is switched on and the direct route to the probe works while the system's
// proxied route does not; true otherwise, also when nothing could be checked.
bool CheckProxySettings();
// Switches the proxy off in the current user's settings and tells the system and running programs.
void RepairProxySettings();

// The connection record with its flags word (offset 8) set to direct plus auto-detect; records
// shorter than 12 bytes come back unchanged and `changed` false.
std::vector<uint8_t> WithDirectConnectionFlags(std::vector<uint8_t> record, bool* changed);
