#include "download/worker.h"

#include <shellapi.h>

#include <cstdio>

#include "common/handles.h"
#include "download/download_attempts.h"
#include "download/installer_launch.h"
#include "download/worker_dialogs.h"
#include "net/installer_service.h"
#include "net/proxy_settings.h"

namespace {

constexpr int kNumberedNames = 10;

// An expansion that does not fit keeps the unexpanded text, which names no usable file, rather
// than a cut-off path that could name another one.
std::wstring Expand(const wchar_t* text) {
  wchar_t expanded[MAX_PATH] = {};
  const DWORD n = ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
  return n == 0 || n > MAX_PATH ? std::wstring(text) : std::wstring(expanded);
}

// Creates the file (empty) to learn whether the name can be used.
bool CanCreate(const std::wstring& path) {
  UniqueFileHandle probe(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return probe.valid();
}

}  // namespace

std::wstring ChooseInstallerPath() {
  std::wstring path = Expand(L"%TEMP%\\VXSetup.exe");
  if (CanCreate(path)) return path;
  for (int n = 0; n < kNumberedNames; ++n) {
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%%TEMP%%\\VXSetup(%d).exe", n);
    path = Expand(name);
    if (CanCreate(path)) break;
  }
  return path;  // the last name tried when none could be created
}

void RegisterScriptEngine() {
  const std::wstring parameters = L"/s " + Expand(L"%windir%\\System32\\vbscript.dll");
  const std::wstring regsvr32 = Expand(L"%windir%\\System32\\regsvr32.exe");
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = regsvr32.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

void RunWorker(DownloadJob& job) {
  job.status.SetStatusText(L"Checking internet connection...");
  if (job.status.safeModeBoot != 0) RestoreInstallerSafeBootKeys();
  if (!RepairInstallerService()) {
    ShowWorkerMessageBox(job, kInstallerWarningText, kWarningCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  if (!CheckProxySettings() &&
      ShowWorkerMessageBox(job, kProxyQuestionText, kWarningCaption, MB_YESNO | MB_ICONWARNING) == IDYES)
    RepairProxySettings();
  job.status.SetStatusText(L"Downloading Vardex installer..");
  const std::wstring installerPath = ChooseInstallerPath();
  RegisterScriptEngine();
  // Holds the checked file, shared for reading only, until the installer's process exists.
  UniqueFileHandle verifiedFile;
  if (DownloadAndReport(job, installerPath.c_str(), &verifiedFile) == 0 || job.status.writeReport != 0) return;
  job.status.SetStatusText(L"Launching Vardex installer..");
  CleanAndLaunch(installerPath);
}

DWORD WINAPI WorkerThreadEntry(LPVOID parameter) {
  DownloadJob& job = *static_cast<DownloadJob*>(parameter);
  RunWorker(job);
  job.status.SetStatusText(L"Finished");
  return 0;
}
