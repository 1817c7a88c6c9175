// Start-up of the downloader: single-instance guard, privileges, remediation pre-pass, window run.
#pragma once

#include <windows.h>

inline constexpr wchar_t kInstanceMutexName[] = L"ORVANE_VXD_Mutex";

// The whole run of the program; returns the process exit code.
int RunDownloader(HINSTANCE instance, const wchar_t* commandLine, int showCommand);
