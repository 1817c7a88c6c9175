// prepass: how long the remediation pre-pass takes with 60 processes running, 300 Image File
// Execution Options subkeys and 50 loaded user profiles, and how that time grows when every count
// doubles (prepass_growth, the doubled time divided by the first; 2 is linear). Also how often the
// sweep built its device map (prepass_device_map_builds; once when every path resolves).
// Runs under Wine in a prefix of its own: it sweeps that prefix's processes and writes its registry.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/handles.h"
#include "remedy/debugger_hijacks.h"
#include "remedy/file_associations.h"
#include "remedy/process_sweep.h"
#include "remedy/registry_rules.h"

namespace {

constexpr int kRounds = 5;
const wchar_t kBenchFolder[] = L"C:\\vxbench";

struct Counts {
  int processes, optionKeys, profiles;
};

void WriteDefault(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  UniqueKey key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring OptionKey(int i) { return std::wstring(kImageOptionsKey) + L"\\vxbench-" + std::to_wstring(i) + L".exe"; }
std::wstring Sid(int i) { return L"S-1-5-21-1111111111-2222222222-" + std::to_wstring(3000000000u + i) + L"-1001"; }

// Debugger values are put back before every round, since each round removes them.
void SetDebuggers(int count) {
  for (int i = 0; i < count; ++i) WriteDefault(HKEY_LOCAL_MACHINE, OptionKey(i), kDebuggerValue, L"C:\\rogue.exe");
}

void AddProfiles(int count) {
  for (int i = 0; i < count; ++i) {
    WriteDefault(HKEY_LOCAL_MACHINE, std::wstring(kProfileListKey) + L"\\" + Sid(i), L"ProfileImagePath", L"C:\\users\\x");
    for (const wchar_t* key : {L"_Classes\\exefile\\shell\\open\\command", L"\\Software\\Classes\\exefile\\shell\\open\\command"})
      WriteDefault(HKEY_USERS, Sid(i) + key, nullptr, L"C:\\rogue.exe \"%1\"");
    WriteDefault(HKEY_USERS, Sid(i) + L"\\.exe", nullptr, L"roguefile");
  }
}

void RemoveKeys(int optionKeys, int profiles) {
  for (int i = 0; i < optionKeys; ++i) RegDeleteTreeW(HKEY_LOCAL_MACHINE, OptionKey(i).c_str());
  for (int i = 0; i < profiles; ++i) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kProfileListKey) + L"\\" + Sid(i)).c_str());
    RegDeleteTreeW(HKEY_USERS, Sid(i).c_str());
    RegDeleteTreeW(HKEY_USERS, (Sid(i) + L"_Classes").c_str());
  }
}

std::vector<UniqueHandle> StartProcesses(int count, const std::wstring& image) {
  std::vector<UniqueHandle> processes;
  for (int i = 0; i < count; ++i) {
    std::wstring line = L"\"" + image + L"\" --sleep";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(image.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) break;
    CloseHandle(info.hThread);
    processes.emplace_back(info.hProcess);
  }
  return processes;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The median of a few rounds of the pre-pass as the entry runs it.
double TimePrePass(const Counts& counts, unsigned& mapBuilds) {
  std::vector<double> times;
  for (int round = 0; round < kRounds; ++round) {
    SetDebuggers(counts.optionKeys);
    TerminatedPathSet terminated;
    DeviceDriveMap map;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    TerminateRogueProcesses(terminated, map);
    RepairExecutableAssociations();
    RemoveDebuggerHijacks(false);
    WriteProcessListFile(terminated);
    QueryPerformanceCounter(&end);
    times.push_back(Milliseconds(start, end));
    mapBuilds = std::max(mapBuilds, map.builds);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double Measure(const Counts& counts, const std::wstring& image, unsigned& mapBuilds) {
  std::vector<UniqueHandle> processes = StartProcesses(counts.processes, image);
  Sleep(1000);  // let every process finish starting
  AddProfiles(counts.profiles);
  const double ms = TimePrePass(counts, mapBuilds);
  for (const UniqueHandle& process : processes) TerminateProcess(process.get(), 0);
  for (const UniqueHandle& process : processes) WaitForSingleObject(process.get(), 10000);
  RemoveKeys(counts.optionKeys, counts.profiles);
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wstring(argv[1]) == L"--sleep") {
    Sleep(INFINITE);
    return 0;
  }
  // The sleeping processes run from drive C:, as programs on Windows do.
  CreateDirectoryW(kBenchFolder, nullptr);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring image = std::wstring(kBenchFolder) + L"\\vxbench-proc.exe";
  if (!CopyFileW(self, image.c_str(), FALSE)) {
    fwprintf(stderr, L"prepass: cannot copy %ls\n", self);
    return 1;
  }
  const Counts base = {60, 300, 50};
  const Counts doubled = {2 * base.processes, 2 * base.optionKeys, 2 * base.profiles};
  unsigned mapBuilds = 0;
  const double first = Measure(base, image, mapBuilds);
  const double second = Measure(doubled, image, mapBuilds);
  DeleteFileW(image.c_str());
  RemoveDirectoryW(kBenchFolder);
  printf("prepass_ms: %.1f\n", first);
  printf("prepass_growth: %.2f\n", second / first);
  printf("prepass_device_map_builds: %u\n", mapBuilds);
  return 0;
}
