#include "net/installer_service.h"

#include <windows.h>

#include <vector>

#include "common/handles.h"

namespace {

constexpr wchar_t kSafeBootValue[] = L"Service";

void WriteSafeBootKey(const wchar_t* path) {
  UniqueKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kSafeBootValue), sizeof kSafeBootValue);
}

bool QueryStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS* status) {
  DWORD needed = 0;
  return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(status), sizeof *status,
                              &needed) != FALSE;
}

// Polls while the service is starting; gives up once its check point has stood still for longer
// than its wait hint. Returns the last status read.
SERVICE_STATUS_PROCESS WaitWhileStarting(SC_HANDLE service, SERVICE_STATUS_PROCESS status) {
  DWORD waitStart = GetTickCount();
  DWORD lastCheckPoint = status.dwCheckPoint;
  while (status.dwCurrentState == SERVICE_START_PENDING) {
    Sleep(ServicePollInterval(status.dwWaitHint));
    if (!QueryStatus(service, &status)) break;
    if (status.dwCheckPoint > lastCheckPoint) {
      waitStart = GetTickCount();
      lastCheckPoint = status.dwCheckPoint;
    } else if (GetTickCount() - waitStart > status.dwWaitHint) {
      break;
    }
  }
  return status;
}

// From now on the service starts with the system; every other setting is written back as read.
void SetAutomaticStart(SC_HANDLE service) {
  DWORD needed = 0;
  if (QueryServiceConfigW(service, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
  UniqueLocal memory(LocalAlloc(LMEM_FIXED, needed));
  auto* config = static_cast<QUERY_SERVICE_CONFIGW*>(memory.get());
  if (config == nullptr || !QueryServiceConfigW(service, config, needed, &needed)) return;
  ChangeServiceConfigW(service, config->dwServiceType, SERVICE_AUTO_START, config->dwErrorControl,
                       config->lpBinaryPathName, config->lpLoadOrderGroup, nullptr, config->lpDependencies,
                       config->lpServiceStartName, nullptr, config->lpDisplayName);
}

}  // namespace

void RestoreInstallerSafeBootKeys() {
  WriteSafeBootKey(kSafeBootMinimalKey);
  WriteSafeBootKey(kSafeBootNetworkKey);
}

bool RepairInstallerService() {
  UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return false;
  UniqueService service(OpenServiceW(manager.get(), kInstallerServiceName, SERVICE_ALL_ACCESS));
  if (!service) return false;
  SERVICE_STATUS_PROCESS status = {};
  if (!QueryStatus(service.get(), &status)) return false;
  if (status.dwCurrentState == SERVICE_RUNNING) return true;
  if (!StartServiceW(service.get(), 0, nullptr)) return false;
  if (!QueryStatus(service.get(), &status)) return false;
  status = WaitWhileStarting(service.get(), status);
  if (status.dwCurrentState != SERVICE_RUNNING) return false;
  SetAutomaticStart(service.get());
  return true;
}
