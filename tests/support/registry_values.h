// Registry values of the test prefix that a test changes, put back as they were when it ends.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
  bool operator==(const RegistryValue& other) const { return type == other.type && data == other.data; }
};

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name);
bool WriteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name, const RegistryValue& value);
RegistryValue DwordValue(DWORD value);
RegistryValue StringValue(const std::wstring& text);  // REG_SZ, the NUL counted

// Remembers the named values (and whether their key existed) and restores them when destroyed.
class SavedRegistryValues {
 public:
  SavedRegistryValues(HKEY root, const std::wstring& key, const std::vector<std::wstring>& names);
  ~SavedRegistryValues();
  SavedRegistryValues(const SavedRegistryValues&) = delete;
  SavedRegistryValues& operator=(const SavedRegistryValues&) = delete;

 private:
  HKEY root_;
  std::wstring key_;
  bool keyExisted_ = false;
  std::vector<std::pair<std::wstring, std::optional<RegistryValue>>> values_;
};
