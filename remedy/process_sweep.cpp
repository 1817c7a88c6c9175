#include "remedy/process_sweep.h"

#include <windows.h>
#include <tlhelp32.h>

#include "common/handles.h"
#include "common/text.h"
#include "remedy/process_path.h"
#include "remedy/rogue_rules.h"

namespace {

// The system's idle and System processes.
constexpr DWORD kIdleProcessId = 0;
constexpr DWORD kSystemProcessId = 4;

bool EqualNoCase(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

std::wstring Expanded(std::wstring path, bool appendSeparator) {
  ExpandPath(path, appendSeparator);
  return path;
}

RogueLocations ExpandRogueLocations() {
  RogueLocations lists;
  for (const SystemExecutable& executable : kSystemExecutables)
    lists.systemPaths.push_back(Expanded(executable.expectedPath, false));
  for (const std::wstring& path : kRoguePaths) lists.roguePaths.push_back(Expanded(path, false));
  for (const std::wstring& folder : kSuspectFolders) lists.suspectFolders.push_back(Expanded(folder, true));
  lists.shortNameFolder = Expanded(kShortNameFolder, true);
  return lists;
}

void RecordPath(const std::wstring& path, TerminatedPathSet& terminated) {
  if (!path.empty()) terminated.insert(AsciiLower(path));
}

// For processes judged by name: the path must be read first, a terminated process can no longer
// be asked. A path that cannot be read does not keep the process alive.
bool TerminateByName(DWORD processId, DeviceDriveMap& map, TerminatedPathSet& terminated) {
  std::wstring path;
  GetProcessImagePath(processId, path, map);
  if (!KillProcess(processId)) return false;
  RecordPath(path, terminated);
  return true;
}

// A process whose path cannot be read is left alone: where it lies is all that judges it.
void TerminateByLocation(DWORD processId, const std::wstring& name, const RogueLocations& lists,
                         DeviceDriveMap& map, TerminatedPathSet& terminated) {
  std::wstring path;
  if (!GetProcessImagePath(processId, path, map)) return;
  for (int rules = CountRogueLocationRules(name, path, lists, EqualNoCase); rules > 0; --rules) {
    if (KillProcess(processId)) {
      RecordPath(path, terminated);
      return;
    }
  }
}

void SweepProcess(const PROCESSENTRY32W& entry, const RogueLocations& lists, DeviceDriveMap& map,
                  TerminatedPathSet& terminated) {
  const DWORD processId = entry.th32ProcessID;
  const std::wstring name = entry.szExeFile;
  if (IsRogueName(name, EqualNoCase) && TerminateByName(processId, map, terminated)) return;
  if (IsRoguePatternName(name, EqualNoCase) && TerminateByName(processId, map, terminated)) return;
  TerminateByLocation(processId, name, lists, map, terminated);
}

}  // namespace

void TerminateRogueProcesses(TerminatedPathSet& terminated) {
  DeviceDriveMap map;
  TerminateRogueProcesses(terminated, map);
}

void TerminateRogueProcesses(TerminatedPathSet& terminated, DeviceDriveMap& map) {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  const RogueLocations lists = ExpandRogueLocations();
  if (!snapshot) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  if (!Process32FirstW(snapshot.get(), &entry)) return;
  // A copy of the program started from a suspect folder such as %TEMP% would match the rules.
  const DWORD self = GetCurrentProcessId();
  do {
    const DWORD processId = entry.th32ProcessID;
    if (processId == kIdleProcessId || processId == kSystemProcessId || processId == self) continue;
    SweepProcess(entry, lists, map, terminated);
  } while (Process32NextW(snapshot.get(), &entry));
}

void WriteProcessListFile(const TerminatedPathSet& terminated) {
  if (terminated.empty()) return;
  const std::vector<uint8_t> bytes = EncodeProcessList(terminated);
  std::wstring path = kProcessListFile;
  ExpandPath(path, false);
  UniqueFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}
