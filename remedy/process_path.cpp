#include "remedy/process_path.h"

#include <psapi.h>

#include <vector>

#include "common/handles.h"
#include "remedy/process_sweep.h"

namespace {

constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// PROCESS_ALL_ACCESS as every Windows version accepts it.
constexpr DWORD kAllProcessAccess = 0x001F0FFF;

// Adds a pair for each mount point of the volume that is a drive.
void AddVolumeDrives(const wchar_t* volume, DeviceDriveMap& map) {
  DWORD length = 0;
  GetVolumePathNamesForVolumeNameW(volume, nullptr, 0, &length);
  if (length == 0) return;
  std::vector<wchar_t> names(length + 1, L'\0');
  if (!GetVolumePathNamesForVolumeNameW(volume, names.data(), length, &length)) return;
  for (size_t at = 0; at < names.size() && names[at] != L'\0';) {
    std::wstring mountPoint(&names[at]);
    at += mountPoint.size() + 1;
    if (!mountPoint.empty() && mountPoint.back() == L'\\') mountPoint.pop_back();
    wchar_t target[MAX_PATH] = {};
    if (QueryDosDeviceW(mountPoint.c_str(), target, MAX_PATH) != 0) map.pairs.push_back({target, mountPoint});
  }
}

// The image path through the device map, rebuilt once when it knows no device for the path.
bool PathFromImageFileName(HANDLE process, std::wstring& path, DeviceDriveMap& map) {
  wchar_t deviceBuffer[MAX_PATH] = {};
  if (GetProcessImageFileNameW(process, deviceBuffer, MAX_PATH) == 0) return false;
  std::wstring devicePath = deviceBuffer;
  ToLongPath(devicePath);
  std::wstring drivePath = MapDevicePath(map, devicePath);
  if (drivePath.empty()) {
    RebuildDeviceDriveMap(map);
    drivePath = MapDevicePath(map, devicePath);
  }
  if (drivePath.empty()) return false;
  ToLongPath(drivePath);
  path = drivePath;
  return true;
}

bool PathFromFirstModule(HANDLE process, std::wstring& path) {
  HMODULE modules[1024];
  DWORD needed = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &needed) || needed < sizeof(HMODULE)) return false;
  wchar_t name[MAX_PATH] = {};
  if (GetModuleFileNameExW(process, modules[0], name, MAX_PATH) == 0) return false;
  path = name;
  ToLongPath(path);
  return true;
}

}  // namespace

void RebuildDeviceDriveMap(DeviceDriveMap& map) {
  map.pairs.clear();
  ++map.builds;
  wchar_t volume[MAX_PATH];
  UniqueVolumeFind find(FindFirstVolumeW(volume, MAX_PATH));
  if (!find) return;
  do AddVolumeDrives(volume, map);
  while (FindNextVolumeW(find.get(), volume, MAX_PATH));
}

bool GetProcessImagePath(DWORD processId, std::wstring& path, DeviceDriveMap& map) {
  path.clear();
  UniqueHandle process(OpenProcess(kQueryAccess, FALSE, processId));
  if (!process) return false;
  return PathFromImageFileName(process.get(), path, map) || PathFromFirstModule(process.get(), path);
}

bool KillProcess(DWORD processId) {
  UniqueHandle process(OpenProcess(kAllProcessAccess, FALSE, processId));
  return process && TerminateProcess(process.get(), 0);
}
