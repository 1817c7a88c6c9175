// The rogue process sweep, the process-list file it leaves for the installer, and the path and
// Wow64 helpers that the remediation and the download stages share.
#pragma once

#include <set>
#include <string>

// Lower-cased full paths of the terminated processes, ordered by code unit.
using TerminatedPathSet = std::set<std::wstring>;

void TerminateRogueProcesses(TerminatedPathSet& terminated);
// Writes "%temp%\vx4plist.dat" when the set is not empty; an empty set leaves any older file alone.
void WriteProcessListFile(const TerminatedPathSet& terminated);
// True only for a 32-bit process on 64-bit Windows.
bool IsRunningOnWow64();
