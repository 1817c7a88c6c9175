#include "download/installer_launch.h"

#include <windows.h>

#include "common/handles.h"
#include "remedy/process_sweep.h"

namespace {

using Wow64DisableFn = BOOL(WINAPI*)(PVOID*);
using Wow64RevertFn = BOOL(WINAPI*)(PVOID);

void DeleteDefinitionFile(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return;
  // Read-only, hidden and system files go too.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

// The second clean-up of 64-bit Windows reaches the native program folder. The library handle is
// kept: kernel32 stays loaded for the life of the process anyway.
void CleanWithoutRedirection() {
  HMODULE kernel = LoadLibraryW(L"Kernel32.DLL");
  if (kernel == nullptr) return;
  auto disable = reinterpret_cast<Wow64DisableFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  PVOID saved = nullptr;
  if (disable == nullptr || !disable(&saved)) return;
  CleanDefinitionsFolder();
  auto revert = reinterpret_cast<Wow64RevertFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
  if (revert != nullptr) revert(saved);
}

}  // namespace

std::wstring DefinitionsFolderPath() {
  wchar_t expanded[MAX_PATH] = {};
  const DWORD n = ExpandEnvironmentStringsW(kDefinitionsFolderTemplate, expanded, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return std::wstring();
  std::wstring folder = expanded;
  const size_t placeholder = folder.rfind(L"%s");
  if (placeholder == std::wstring::npos || placeholder + 2 != folder.size()) return std::wstring();
  folder.erase(placeholder);
  const size_t marker = folder.find(kProgramFolderMarker);
  if (marker != std::wstring::npos) folder.erase(marker, wcslen(kProgramFolderMarker));
  return folder;
}

void CleanDefinitionsFolder() {
  // File names are joined to the folder, never formatted into it: the folder may hold a "%".
  const std::wstring folder = DefinitionsFolderPath();
  if (folder.empty()) return;
  WIN32_FIND_DATAW entry;
  UniqueFind search(FindFirstFileW((folder + L"*.*").c_str(), &entry));
  if (!search) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    DeleteDefinitionFile(folder + name);  // a subfolder fails to delete and stays
  } while (FindNextFileW(search.get(), &entry));
}

bool LaunchInstaller(const std::wstring& installerPath) {
  // The path as the application name and, quoted, as the whole command line: a path with blanks
  // can start no other program and reaches the installer as one argument.
  std::wstring commandLine = L"\"" + installerPath + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(installerPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void CleanAndLaunch(const std::wstring& installerPath) {
  CleanDefinitionsFolder();
  if (IsRunningOnWow64()) CleanWithoutRedirection();
  LaunchInstaller(installerPath);
}
