#include <windows.h>

#include "common/seams.h"
#include "remedy/process_sweep.h"

void ToLongPath(std::wstring& path) {
  if (path.find(L'~') == std::wstring::npos) return;
  wchar_t buffer[MAX_PATH];
  DWORD n = GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
  if (n != 0 && n < MAX_PATH) {
    path = buffer;
    return;
  }
  // The last component may not exist (yet): convert the folder alone.
  const size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return;
  const std::wstring head = path.substr(0, cut);
  n = GetLongPathNameW(head.c_str(), buffer, MAX_PATH);
  if (n != 0 && n < MAX_PATH) path = buffer + path.substr(cut);
}

void ExpandPath(std::wstring& path, bool appendSeparator) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = ExpandEnvironmentStringsW(path.c_str(), buffer, MAX_PATH);
  // A cut-off expansion could name a shorter, innocent folder; unexpanded text matches nothing.
  if (n != 0 && n <= MAX_PATH) path = buffer;
  ToLongPath(path);
  if (appendSeparator && (path.empty() || path.back() != L'\\')) path += L'\\';
}

bool IsRunningOnWow64() {
  bool seam = false;
  if (ReadTestSeam(L"WOW64", &seam)) return seam;
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
