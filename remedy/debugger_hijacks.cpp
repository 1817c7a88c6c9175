#include "remedy/debugger_hijacks.h"

#include <windows.h>

#include "common/handles.h"
#include "remedy/registry_rules.h"

namespace {

// A key of its own for an executable, such as "notepad.exe"; a bare ".exe" is not one.
bool IsPerExecutableKeyName(const wchar_t* name, DWORD length) {
  return length >= 5 && lstrcmpiW(name + length - 4, L".exe") == 0;
}

void RemoveDebuggerValue(HKEY options, const wchar_t* name) {
  UniqueKey image;
  if (RegOpenKeyExW(options, name, 0, KEY_READ | KEY_WRITE, image.put()) != ERROR_SUCCESS) return;
  RegDeleteValueW(image.get(), kDebuggerValue);
}

}  // namespace

// Only values are deleted, never keys, so enumerating by index stays valid throughout.
void RemoveDebuggerHijacks(bool openWithFullAccess) {
  UniqueKey options;
  const REGSAM access = openWithFullAccess ? KEY_ALL_ACCESS : KEY_READ;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kImageOptionsKey, 0, access, options.put()) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(options.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (IsPerExecutableKeyName(name, length)) RemoveDebuggerValue(options.get(), name);
  }
}
