// Downloads through the platform's URL monikers, for the URLs that libcurl does not handle
// (https): progress and cancel through the same DownloadStatus, and the response's HTTP status.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <cstdint>

#include "download/download_status.h"

// Downloads `url` into `path` with URLDownloadToFileW and a CCallback; stores the response's status
// code in *httpStatus when the server answers. Returns the call's HRESULT (S_OK is success).
HRESULT DownloadWithMoniker(const wchar_t* url, const wchar_t* path, DownloadStatus* owner, int32_t* httpStatus);
