// The window run of the program: the main frame from creation to the end of its message loop.
#pragma once

// Returns the message loop's exit code, or 0 when the window cannot be created.
int RunMainWindow(const wchar_t* commandLine, int showCommand);
