#include "remedy/file_associations.h"

#include <windows.h>

#include <string>

#include "common/handles.h"
#include "remedy/registry_rules.h"

namespace {

constexpr REGSAM kCommandAccess = KEY_READ | KEY_WRITE;

// Sets the default value of an existing key; an absent key stays absent.
void SetDefaultString(HKEY root, const std::wstring& path, REGSAM access, const wchar_t* value) {
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) return;
  const DWORD bytes = DWORD((wcslen(value) + 1) * sizeof(wchar_t));
  RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
}

// A hive whose root default names the executable class is marked by malware; the mark goes.
void RemoveRootClassMark(HKEY users, const std::wstring& sid) {
  UniqueKey root;
  if (RegOpenKeyExW(users, sid.c_str(), 0, KEY_READ | KEY_WRITE, root.put()) != ERROR_SUCCESS) return;
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(root.get(), nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return;
  if (lstrcmpiW(value, kExecutableClass) == 0) RegDeleteValueW(root.get(), nullptr);
}

void RepairUserAssociations(HKEY users, const std::wstring& sid) {
  for (const std::wstring& key : kCommandKeys) RepairUserCommandKey(users, sid, key);
  RemoveRootClassMark(users, sid);
  for (const std::wstring& suffix : kUserExtensionSuffixes)
    SetDefaultString(users, sid + suffix, KEY_WRITE, kExecutableClass);
}

void RepairProfile(HKEY profiles, const wchar_t* sid) {
  UniqueKey profile;
  if (RegOpenKeyExW(profiles, sid, 0, KEY_READ, profile.put()) != ERROR_SUCCESS) return;
  RepairUserAssociations(HKEY_USERS, sid);
}

}  // namespace

void RepairCommandKey(const std::wstring& key) {
  SetDefaultString(HKEY_CLASSES_ROOT, key, kCommandAccess, kRepairedCommand);
  SetDefaultString(HKEY_LOCAL_MACHINE, kMachineClassesPrefix + key, kCommandAccess, kRepairedCommand);
}

void RepairUserCommandKey(HKEY users, const std::wstring& sid, const std::wstring& key) {
  for (const std::wstring& suffix : kUserClassesSuffixes)
    SetDefaultString(users, sid + suffix + key, kCommandAccess, kRepairedCommand);
}

void RepairExecutableAssociations() {
  for (const std::wstring& key : kCommandKeys) RepairCommandKey(key);
  SetDefaultString(HKEY_CLASSES_ROOT, L".exe", KEY_WRITE, kExecutableClass);
  SetDefaultString(HKEY_LOCAL_MACHINE, std::wstring(kMachineClassesPrefix) + L".exe", KEY_WRITE, kExecutableClass);

  UniqueKey profiles;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ, profiles.put()) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    wchar_t sid[256];
    DWORD length = 256;
    if (RegEnumKeyExW(profiles.get(), index, sid, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (length >= kMinUserSidLength) RepairProfile(profiles.get(), sid);
  }
}
