// Removes "Debugger" redirections of executables from Image File Execution Options.
#pragma once

void RemoveDebuggerHijacks(bool openWithFullAccess);
