// The download worker: the whole job once, stage by stage, on a thread of its own.
#pragma once

#include <string>

#include "build_config.h"
#include "download/download_job.h"

inline constexpr wchar_t kWarningCaption[] = L"Warning";
inline constexpr wchar_t kInstallerWarningText[] =
    L"Vardex was unable to launch Windows Installer. There may be an issue with your system configuration. We "
    L"suggest that you follow these instructions from Microsoft to reinstall the Windows Installer:"
    L"\n\nhttp://" VARDEX_KB_HOST L"/kb/315346\n\n"
    L"After Windows Installer has been reinstalled, please try to launch Vardex again.";

void RunWorker(DownloadJob& job);
// The local installer file: "%TEMP%\VXSetup.exe", else the first of VXSetup(0).exe to
// VXSetup(9).exe that can be created; the last name tried when none can.
std::wstring ChooseInstallerPath();
// Starts regsvr32 for the script engine without waiting for it.
void RegisterScriptEngine();
