// The download stage: the sources in order until one gives a genuine installer (normal mode), or
// both widths from every source into the XML report ("-ver").
#pragma once

#include <windows.h>

#include "common/handles.h"
#include "download/download_job.h"

inline constexpr int32_t kInitialBytesTotal = 15000000;
inline constexpr int32_t kMinimumInstallerBytes = 1048576;  // an installer must be larger

inline constexpr wchar_t kDownloadErrorCaption[] = L"Download Error";
inline constexpr wchar_t kConnectionErrorText[] =
    L"Due to an Internet connection issue, Vardex was unable to completely download and install.\n\n"
    L"Please click the \u201COK\u201D button below to manually download Vardex. When the File Download window "
    L"appears, click the \u201CRun\u201D or \u201COpen\u201D button to start Vardex setup.";
inline constexpr wchar_t kDestinationErrorText[] =
    L"Vardex was unable to create destination file and install.\n\n"
    L"Please click the \u201COK\u201D button below to manually download Vardex. When the File Download window "
    L"appears, click the \u201CRun\u201D or \u201COpen\u201D button to start Vardex setup.";

// Returns 1 when normal mode has put a genuine installer at installerPath, or when report mode
// has run to its end; 0 otherwise. In normal mode on success *verifiedFile holds the checked file,
// open and shared for reading only, so that nobody can replace it before it is started.
int DownloadAndReport(DownloadJob& job, const wchar_t* installerPath, UniqueFileHandle* verifiedFile);

// The first source's 32-bit URL in the browser; one more try after 200 ms if the first fails.
void OpenManualDownloadPage(const wchar_t* url);
