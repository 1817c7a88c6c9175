// Makes sure the Windows Installer service can run before anything is downloaded.
#pragma once

#include <cstdint>

inline constexpr wchar_t kInstallerServiceName[] = L"MSIServer";
inline constexpr wchar_t kSafeBootMinimalKey[] = L"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\MSIServer";
inline constexpr wchar_t kSafeBootNetworkKey[] = L"SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\Network\\MSIServer";

// Registers the service for both Safe-Mode variants; failures are ignored.
void RestoreInstallerSafeBootKeys();
// True when the service runs at the end: already running, or started (and then set to start
// automatically from now on).
bool RepairInstallerService();
// The pause between two status polls while the service starts: a tenth of its wait hint, kept
// between one and ten seconds.
uint32_t ServicePollInterval(uint32_t waitHintMs);
