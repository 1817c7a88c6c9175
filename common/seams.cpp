#include "common/seams.h"

#include <windows.h>

#include <string>

bool ReadTestSeam(const wchar_t* name, bool* value) {
#ifdef VARDEX_TEST_SEAMS
  const std::wstring variable = std::wstring(L"VARDEX_SEAM_") + name;
  wchar_t text[8] = {};
  const DWORD n = GetEnvironmentVariableW(variable.c_str(), text, 8);
  if (n == 0 || n >= 8) return false;
  *value = text[0] == L'1';
  return true;
#else
  (void)name;
  (void)value;
  return false;
#endif
}
