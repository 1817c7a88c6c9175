#include "remedy/remedy_test_support.h"

#include <set>

#include "common/text.h"
#include "remedy/process_list.h"
#include "remedy/process_list_reader.h"

bool CopyTestProgram(const std::wstring& path) { return CopyFileW(TestProgramPath().c_str(), path.c_str(), FALSE); }

PlacedProcess::PlacedProcess(std::wstring path) : path_(std::move(path)) {
  if (!CopyTestProgram(path_)) {
    ADD_FAILURE() << "cannot copy the test program to " << Narrow(path_) << ": " << FormatWin32Error(GetLastError());
    return;
  }
  if (!StartHelper(process_, L"sleep", {}, path_)) ADD_FAILURE() << "cannot start " << Narrow(path_);
}

PlacedProcess::~PlacedProcess() {
  process_.Terminate();
  DeleteFileW(path_.c_str());
}

bool PlacedProcess::WasTerminated() { return process_.Wait(20000) && process_.ExitCode() == 0; }

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool WriteString(HKEY root, const std::wstring& path, const std::wstring& value, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

RestoredKey::RestoredKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
  for (size_t at = 0; at != std::wstring::npos;) {
    at = path_.find(L'\\', at + 1);
    const std::wstring prefix = path_.substr(0, at);
    if (!KeyExists(root_, prefix)) {
      createdFrom_ = prefix;
      return;
    }
  }
  defaultValue_ = ReadString(root_, path_);
}

RestoredKey::~RestoredKey() {
  if (!createdFrom_.empty()) {
    RegDeleteTreeW(root_, createdFrom_.c_str());
    RegDeleteKeyW(root_, createdFrom_.c_str());
    return;
  }
  if (defaultValue_) {
    WriteString(root_, path_, *defaultValue_);
  } else {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, nullptr);
      RegCloseKey(key);
    }
  }
}

namespace {

void EnableHivePrivileges() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  for (const wchar_t* name : {SE_BACKUP_NAME, SE_RESTORE_NAME}) {
    TOKEN_PRIVILEGES privileges = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    if (LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  }
  CloseHandle(token);
}

// An empty hive file: a scratch key of the test's own, saved.
bool SaveEmptyHive(const std::wstring& file) {
  const std::wstring scratch = L"Software\\vxtest-hive-" + std::to_wstring(GetCurrentProcessId());
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  DeleteFileW(file.c_str());
  const LONG saved = RegSaveKeyW(key, file.c_str(), nullptr);
  RegCloseKey(key);
  RegDeleteKeyW(HKEY_CURRENT_USER, scratch.c_str());
  return saved == ERROR_SUCCESS;
}

}  // namespace

LoadedHive::LoadedHive(std::wstring name) : name_(std::move(name)) {
  EnableHivePrivileges();
  file_ = ExpandEnv(L"%TEMP%\\vxtest-hive-") + std::to_wstring(GetCurrentProcessId()) + L"-" + name_ + L".dat";
  if (!SaveEmptyHive(file_)) {
    ADD_FAILURE() << "cannot save a hive file " << Narrow(file_);
    return;
  }
  const LONG result = RegLoadKeyW(HKEY_USERS, name_.c_str(), file_.c_str());
  loaded_ = result == ERROR_SUCCESS;
  if (!loaded_) ADD_FAILURE() << "cannot load a hive as HKEY_USERS\\" << Narrow(name_) << ": " << FormatWin32Error(result);
}

LoadedHive::~LoadedHive() {
  if (loaded_ && RegUnLoadKeyW(HKEY_USERS, name_.c_str()) != ERROR_SUCCESS) RegDeleteTreeW(HKEY_USERS, name_.c_str());
  DeleteFileW(file_.c_str());
}

std::wstring ProcessListFilePath() { return ExpandEnv(kProcessListFile); }

RestoredFile::RestoredFile(std::wstring path) : path_(std::move(path)), existed_(FileExists(path_)) {
  if (existed_) bytes_ = ReadFileBytes(path_);
}

RestoredFile::~RestoredFile() {
  if (existed_)
    WriteFileBytes(path_, bytes_);
  else
    DeleteFileW(path_.c_str());
}

std::optional<std::wstring> ReadProcessListText(const std::wstring& path) {
  if (!FileExists(path)) return std::nullopt;
  const DecodedProcessList decoded = DecodeProcessList(ReadFileBytes(path), kProcessListKey);
  if (!decoded.wellFormed) return std::nullopt;
  return std::wstring(decoded.text.begin(), decoded.text.end());
}

std::wstring ProcessListTextOf(const std::vector<std::wstring>& paths) {
  std::set<std::wstring> sorted;
  for (const std::wstring& path : paths) sorted.insert(AsciiLower(path));
  std::wstring text;
  for (const std::wstring& path : sorted) text += path + L"|";
  return text;
}
