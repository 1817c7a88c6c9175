#include "app/entry.h"

#include <commctrl.h>
#include <gdiplus.h>

#include "common/handles.h"
#include "remedy/debugger_hijacks.h"
#include "remedy/file_associations.h"
#include "remedy/process_sweep.h"
#include "ui/main_window.h"
#include "window/app_module.h"

namespace {

const wchar_t* const kPrivileges[] = {L"SeShutdownPrivilege", L"SeBackupPrivilege", L"SeRestorePrivilege",
                                      L"SeDebugPrivilege"};

// A privilege that the account does not hold stays unavailable; the result is not examined.
void EnablePrivilege(HANDLE token, const LUID& luid) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

void EnablePrivileges() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
  for (const wchar_t* name : kPrivileges) {
    LUID luid;
    if (LookupPrivilegeValueW(nullptr, name, &luid)) EnablePrivilege(token.get(), luid);
  }
}

// Runs before any window exists, so nothing of it overlaps the download.
void RunRemediationPrePass(TerminatedPathSet& terminated) {
  TerminateRogueProcesses(terminated);
  RepairExecutableAssociations();
  if (IsRunningOnWow64()) RemoveDebuggerHijacks(true);
  RemoveDebuggerHijacks(false);
}

}  // namespace

int RunDownloader(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) return 0;  // another copy runs

  EnablePrivileges();
  TerminatedPathSet terminated;
  RunRemediationPrePass(terminated);
  if (!terminated.empty()) WriteProcessListFile(terminated);

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WTL::appModule.Init(instance);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  ULONG_PTR gdiplusToken = 0;
  Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

  const int result = RunMainWindow(commandLine, showCommand);

  Gdiplus::GdiplusShutdown(gdiplusToken);
  WTL::appModule.Term();
  mutex.reset();  // held to the last step, so a copy started at any time during the run exits
  return result;
}
