#include "support/registry_values.h"

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  RegistryValue value;
  DWORD size = 0;
  const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
  if (RegGetValueW(root, key.c_str(), name, flags, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  if (RegGetValueW(root, key.c_str(), name, flags, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.data.resize(size);
  return value;
}

bool WriteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name, const RegistryValue& value) {
  return RegSetKeyValueW(root, key.c_str(), name, value.type, value.data.data(), DWORD(value.data.size())) ==
         ERROR_SUCCESS;
}

RegistryValue DwordValue(DWORD value) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
  return RegistryValue{REG_DWORD, std::vector<uint8_t>(p, p + sizeof value)};
}

RegistryValue StringValue(const std::wstring& text) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(text.c_str());
  return RegistryValue{REG_SZ, std::vector<uint8_t>(p, p + (text.size() + 1) * sizeof(wchar_t))};
}

SavedRegistryValues::SavedRegistryValues(HKEY root, const std::wstring& key, const std::vector<std::wstring>& names)
    : root_(root), key_(key) {
  HKEY opened = nullptr;
  keyExisted_ = RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS;
  if (opened) RegCloseKey(opened);
  for (const std::wstring& name : names) values_.emplace_back(name, ReadRegistryValue(root, key, name.c_str()));
}

SavedRegistryValues::~SavedRegistryValues() {
  if (!keyExisted_) {
    RegDeleteTreeW(root_, key_.c_str());
    return;
  }
  for (const auto& [name, value] : values_) {
    if (value)
      WriteRegistryValue(root_, key_, name.c_str(), *value);
    else
      RegDeleteKeyValueW(root_, key_.c_str(), name.c_str());
  }
}
