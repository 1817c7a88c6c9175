#include "remedy/device_drive_map.h"

#include "common/text.h"

namespace {

bool HoldsDevice(const std::wstring& devicePath, const std::wstring& device) {
  if (device.empty() || devicePath.size() < device.size()) return false;
  if (!AsciiEqualNoCase(devicePath.substr(0, device.size()), device)) return false;
  return devicePath.size() == device.size() || devicePath[device.size()] == L'\\' || device.back() == L'\\';
}

}  // namespace

std::wstring MapDevicePath(const DeviceDriveMap& map, const std::wstring& devicePath) {
  for (const DeviceDrive& pair : map.pairs)
    if (HoldsDevice(devicePath, pair.device)) return pair.drive + devicePath.substr(pair.device.size());
  return std::wstring();
}
