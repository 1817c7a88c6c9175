#include "download/verification.h"

#include <softpub.h>

#include <cstddef>
#include <new>

namespace {

// Under the driver policy a file's own signature or its catalog may pass where the generic
// Authenticode policy does not.
GUID kGenericVerifyV2 = WINTRUST_ACTION_GENERIC_VERIFY_V2;
GUID kDriverVerify = DRIVER_ACTION_VERIFY;

constexpr DWORD kCatalogFlags = WTD_HASH_ONLY_FLAG | WTD_SAFER_FLAG | WTD_REVOCATION_CHECK_NONE;
constexpr DWORD kEmbeddedFlags = WTD_USE_DEFAULT_OSVER_CHECK | WTD_REVOCATION_CHECK_CHAIN;
static_assert(kCatalogFlags == 0x310 && kEmbeddedFlags == 0x440, "provider flags of the two cases");
static_assert(sizeof(void*) != 4 || (sizeof(WINTRUST_DATA) == 48 && sizeof(WINTRUST_CATALOG_INFO) == 36 &&
                                     sizeof(WINTRUST_FILE_INFO) == 16 && sizeof(CATALOG_INFO) == 524),
              "record sizes that the 32-bit platform expects");

using CalcHashFn = BOOL(WINAPI*)(HANDLE, DWORD*, BYTE*, DWORD);
using AcquireContextFn = BOOL(WINAPI*)(HCATADMIN*, const GUID*, DWORD);
using CatalogInfoFn = BOOL(WINAPI*)(HCATINFO, CATALOG_INFO*, DWORD);
using ReleaseContextFn = BOOL(WINAPI*)(HCATADMIN, DWORD);

struct CatalogFunctions {
  CalcHashFn calcHashFromFileHandle = nullptr;
  AcquireContextFn acquireContext = nullptr;
  CatalogInfoFn catalogInfoFromContext = nullptr;
  ReleaseContextFn releaseContext = nullptr;
};

template <typename F>
F Resolve(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Resolved on the first check and kept, with the library, for the life of the process. Checks run
// on the worker thread only, one at a time, so no lock is taken.
const CatalogFunctions& Catalog() {
  static CatalogFunctions functions;
  static bool resolved = false;
  if (!resolved) {
    resolved = true;
    HMODULE wintrust = LoadLibraryW(L"Wintrust.dll");
    if (wintrust == nullptr) return functions;
    functions.calcHashFromFileHandle =
        Resolve<CalcHashFn>(wintrust, "CryptCATAdminCalcHashFromFileHandle");
    functions.acquireContext = Resolve<AcquireContextFn>(wintrust, "CryptCATAdminAcquireContext");
    functions.catalogInfoFromContext =
        Resolve<CatalogInfoFn>(wintrust, "CryptCATCatalogInfoFromContext");
    functions.releaseContext = Resolve<ReleaseContextFn>(wintrust, "CryptCATAdminReleaseContext");
  }
  return functions;
}

TrustResult EvaluateTrustPolicy(TrustCheck* check, GUID* policy) {
  const HRESULT answer = WinVerifyTrustEx(nullptr, policy, &check->trustData);
  const DWORD lastError = GetLastError();
  return TrustResultFromAnswer(uint32_t(answer), uint32_t(lastError));
}

// The generic policy first; when it does not pass, the driver policy's answer stands.
TrustResult EvaluateBothPolicies(TrustCheck* check, DWORD driverFlags) {
  const TrustResult generic = EvaluateTrustPolicy(check, &kGenericVerifyV2);
  if (generic == Trusted) return generic;
  check->trustData.dwProvFlags = driverFlags;
  return EvaluateTrustPolicy(check, &kDriverVerify);
}

TrustResult VerifyAgainstCatalog(TrustCheck* check, HCATINFO catalog) {
  CATALOG_INFO info = {};
  info.cbStruct = sizeof info;
  if (!Catalog().catalogInfoFromContext(catalog, &info, 0)) return Failed;
  check->catalogInfo.pcwszCatalogFilePath = info.wszCatalogFile;
  check->trustData.dwUnionChoice = WTD_CHOICE_CATALOG;
  check->trustData.pCatalog = &check->catalogInfo;
  check->trustData.dwProvFlags = kCatalogFlags;
  const TrustResult result = EvaluateBothPolicies(check, kCatalogFlags & ~DWORD(WTD_SAFER_FLAG));
  check->catalogInfo.pcwszCatalogFilePath = nullptr;  // pointed into `info`
  return result;
}

TrustResult VerifyEmbeddedSignature(TrustCheck* check) {
  check->trustData.dwUnionChoice = WTD_CHOICE_FILE;
  check->trustData.pFile = &check->fileInfo;
  check->trustData.dwProvFlags = kEmbeddedFlags;
  return EvaluateBothPolicies(check, kEmbeddedFlags);
}

}  // namespace

void PrepareTrustCheck(TrustCheck* check) {
  Catalog();
  check->file = INVALID_HANDLE_VALUE;
  check->catalogInfo = {};
  check->catalogInfo.cbStruct = sizeof check->catalogInfo;
  check->fileInfo = {};
  check->fileInfo.cbStruct = sizeof check->fileInfo;
  check->trustData = {};
  check->trustData.cbStruct = sizeof check->trustData;
  check->trustData.dwUIChoice = WTD_UI_NONE;
  check->trustData.fdwRevocationChecks = WTD_REVOKE_NONE;
  // Not WTD_STATEACTION_AUTO_CACHE: with it, Wine calls every file trusted, even a missing one.
  check->trustData.dwStateAction = WTD_STATEACTION_IGNORE;
}

bool OpenTrustCheckFile(TrustCheck* check, const wchar_t* path) {
  check->file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (check->file == INVALID_HANDLE_VALUE) return false;
  const CalcHashFn calcHash = Catalog().calcHashFromFileHandle;
  if (calcHash == nullptr) return false;
  DWORD length = 0;
  // Asked for the length alone, the platform may report it as a "buffer too small" failure.
  if (!calcHash(check->file, &length, nullptr, 0) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  if (length == 0) return false;
  BYTE* hash = new (std::nothrow) BYTE[length];
  if (hash == nullptr) return false;
  check->catalogInfo.pbCalculatedFileHash = hash;
  check->catalogInfo.cbCalculatedFileHash = length;
  if (!calcHash(check->file, &length, hash, 0)) return false;
  check->catalogInfo.hMemberFile = check->file;
  check->fileInfo.hFile = check->file;
  return true;
}

TrustResult VerifyFileTrust(TrustCheck* check) {
  if (check->file == INVALID_HANDLE_VALUE) return Failed;
  const CatalogFunctions& catalog = Catalog();
  if (catalog.acquireContext == nullptr || catalog.catalogInfoFromContext == nullptr ||
      catalog.releaseContext == nullptr)
    return Failed;
  HCATADMIN admin = nullptr;
  if (!catalog.acquireContext(&admin, nullptr, 0)) return Failed;
  HCATINFO listing = CryptCATAdminEnumCatalogFromHash(admin, check->catalogInfo.pbCalculatedFileHash,
                                                       check->catalogInfo.cbCalculatedFileHash, 0, nullptr);
  TrustResult result;
  if (listing != nullptr) {
    result = VerifyAgainstCatalog(check, listing);
    CryptCATAdminReleaseCatalogContext(admin, listing, 0);
  } else {
    result = VerifyEmbeddedSignature(check);
  }
  catalog.releaseContext(admin, 0);
  return result;
}

HANDLE TakeTrustCheckFile(TrustCheck* check) {
  const HANDLE file = check->file;
  check->file = INVALID_HANDLE_VALUE;
  check->catalogInfo.hMemberFile = nullptr;
  check->fileInfo.hFile = nullptr;
  return file;
}

void ReleaseTrustCheck(TrustCheck* check) {
  if (check->file != INVALID_HANDLE_VALUE) CloseHandle(check->file);
  check->file = INVALID_HANDLE_VALUE;
  check->catalogInfo.hMemberFile = nullptr;
  check->fileInfo.hFile = nullptr;
  delete[] check->catalogInfo.pbCalculatedFileHash;
  check->catalogInfo.pbCalculatedFileHash = nullptr;
  check->catalogInfo.cbCalculatedFileHash = 0;
}
