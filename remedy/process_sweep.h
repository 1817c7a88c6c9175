// The rogue process sweep, the process-list file it leaves for the installer, and the path and
// Wow64 helpers that the remediation and the download stages share.
#pragma once

#include <string>

#include "remedy/device_drive_map.h"
#include "remedy/process_list.h"

// Terminates the processes that the rogue rules name and adds their paths to the set; never the
// program's own process.
void TerminateRogueProcesses(TerminatedPathSet& terminated);
// The same with the caller's device map, which tells afterwards how often it was built.
void TerminateRogueProcesses(TerminatedPathSet& terminated, DeviceDriveMap& map);
// Writes "%temp%\vx4plist.dat" when the set is not empty; an empty set leaves any older file alone.
void WriteProcessListFile(const TerminatedPathSet& terminated);
// True only for a 32-bit process on 64-bit Windows.
bool IsRunningOnWow64();

// Expands environment references into at most 260 characters (a longer result keeps the
// references), converts to the long form and, when asked, makes the path end in a backslash.
void ExpandPath(std::wstring& path, bool appendSeparator);
// Converts a path with a short-name ("~") component to its long form; unchanged when it cannot.
void ToLongPath(std::wstring& path);
