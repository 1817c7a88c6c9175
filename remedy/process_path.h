// Looking up and terminating one process of the sweep.
#pragma once

#include <windows.h>

#include <string>

#include "remedy/device_drive_map.h"

// The full Win32 path of the process's executable; false with `path` empty when it cannot be read.
// Rebuilds `map` when no drive of it holds the process's device path.
bool GetProcessImagePath(DWORD processId, std::wstring& path, DeviceDriveMap& map);
// Fills the map from the volumes' drives.
void RebuildDeviceDriveMap(DeviceDriveMap& map);
// True when the process was terminated; does not wait for it to end.
bool KillProcess(DWORD processId);
