#include "app/entry.h"

#include "common/handles.h"

int RunDownloader(HINSTANCE, const wchar_t*, int) {
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  return 0;
}
