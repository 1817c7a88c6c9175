#include "remedy/process_sweep.h"

#include <windows.h>

void TerminateRogueProcesses(TerminatedPathSet&) {}
void WriteProcessListFile(const TerminatedPathSet&) {}
bool IsRunningOnWow64() { return false; }
