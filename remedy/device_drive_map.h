// NT device names of the drives (\Device\HarddiskVolume2 for C:), for turning the device paths that
// the system reports for processes into Win32 paths.
#pragma once

#include <string>
#include <vector>

struct DeviceDrive {
  std::wstring device;  // first target of the drive's DOS device name
  std::wstring drive;   // mount point without its trailing backslash, such as "C:"
};

// One map serves one sweep; it is rebuilt only when a lookup finds no device for a path.
struct DeviceDriveMap {
  std::vector<DeviceDrive> pairs;
  unsigned builds = 0;  // how often it was (re)built
};

// `devicePath` with the first matching device replaced by its drive; empty when no device of the
// map holds the path. A device matches only as a whole path component, so that
// \Device\HarddiskVolume1 does not take paths on \Device\HarddiskVolume10.
std::wstring MapDevicePath(const DeviceDriveMap& map, const std::wstring& devicePath);
