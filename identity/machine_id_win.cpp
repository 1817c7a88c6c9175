// The platform half of the machine identifier: volume serial and adapter address.
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

#include "identity/machine_id.h"

std::wstring GetVolumeSerialText() {
  wchar_t windir[MAX_PATH] = {};
  if (ExpandEnvironmentStringsW(L"%windir%", windir, MAX_PATH) == 0) windir[0] = L'\0';
  const std::wstring root = std::wstring(windir).substr(0, 3);
  DWORD serial = 0;
  if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
    return std::wstring();
  return FormatVolumeSerial(serial);
}

std::wstring GetAdapterAddressText() {
  ULONG size = sizeof(IP_ADAPTER_INFO);
  std::vector<uint8_t> buffer(size);
  DWORD result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  if (result == ERROR_BUFFER_OVERFLOW) {
    buffer.assign(size, 0);
    result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  }
  if (result != ERROR_SUCCESS) return std::wstring();
  return FormatAdapterAddress(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data())->Address);
}

std::wstring ComputeMachineId() { return MachineIdFromTexts(GetVolumeSerialText(), GetAdapterAddressText()); }
