// Checks a downloaded file against the platform's trust services; only Trusted counts as signed.
#pragma once

#include <windows.h>
#include <wintrust.h>
#include <mscat.h>

#include "download/trust_result.h"

// The record of one check, owned by the caller from PrepareTrustCheck to ReleaseTrustCheck.
struct TrustCheck {
  HANDLE file;
  WINTRUST_CATALOG_INFO catalogInfo;
  WINTRUST_FILE_INFO fileInfo;
  WINTRUST_DATA trustData;
};

void PrepareTrustCheck(TrustCheck* check);
// Opens the file, sharing reading only, and hashes it; false when it cannot be opened or hashed.
bool OpenTrustCheckFile(TrustCheck* check, const wchar_t* path);
TrustResult VerifyFileTrust(TrustCheck* check);
// Hands the open file to the caller, who closes it; ReleaseTrustCheck then leaves it open. Keeping
// it open until the installer has started keeps anyone from replacing the checked file.
HANDLE TakeTrustCheckFile(TrustCheck* check);
// Closes the file and frees the hash; harmless after a failed open and when called twice.
void ReleaseTrustCheck(TrustCheck* check);
