// The sweep on real processes of the test prefix: copies of the test program, named and placed as
// the rogue rules say, and look-alikes that must survive.
#include <windows.h>
#include <tlhelp32.h>

#include <memory>

#include "common/handles.h"
#include "common/text.h"
#include "remedy/process_path.h"
#include "remedy/process_sweep.h"
#include "remedy/remedy_test_support.h"

namespace {

// A folder that the test creates when it is missing and then removes again.
class EnsuredFolder {
 public:
  explicit EnsuredFolder(std::wstring path) : path_(std::move(path)), created_(CreateDirectoryW(path_.c_str(), nullptr)) {}
  ~EnsuredFolder() {
    if (created_) RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  bool created_;
};

std::wstring Unique(const std::wstring& stem) { return stem + std::to_wstring(GetCurrentProcessId()); }

// Four digits of this test's process id: names of a fixed length that other runs do not share.
std::wstring FourDigits() {
  wchar_t digits[8];
  swprintf(digits, 8, L"%04lu", GetCurrentProcessId() % 10000);
  return digits;
}

// The svchost.exe processes that Wine runs from its system folder.
std::vector<UniqueHandle> SystemSvchosts() {
  std::vector<UniqueHandle> found;
  const std::wstring expected = ExpandEnv(L"%windir%\\system32\\svchost.exe");
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  DeviceDriveMap map;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    std::wstring path;
    if (lstrcmpiW(entry.szExeFile, L"svchost.exe") != 0 || !GetProcessImagePath(entry.th32ProcessID, path, map)) continue;
    if (lstrcmpiW(path.c_str(), expected.c_str()) == 0)
      found.emplace_back(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
  }
  return found;
}

bool StillRunning(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

class ProcessSweep : public testing::Test {
 protected:
  std::unique_ptr<PlacedProcess> Place(const std::wstring& path) { return std::make_unique<PlacedProcess>(path); }

  TempFolder folder_;  // a subfolder of %TEMP%: only names judge what runs here
  TempFolder subfolder_{folder_.path()};
  EnsuredFolder microsoft_{ExpandEnv(L"%APPDATA%\\Microsoft")};
  RestoredFile processList_{ProcessListFilePath()};
};

TEST_F(ProcessSweep, TerminatesWhatTheRulesNameAndRecordsItsPath) {
  const std::wstring temp = ExpandEnv(L"%TEMP%");
  std::vector<std::unique_ptr<PlacedProcess>> rogues;
  for (const std::wstring& path : {
           folder_ / L"svchast.exe",                                    // a listed name
           folder_ / L"CONTRAVIRO.EXE",                                 // the same in upper case
           folder_ / L"12345.exe",                                      // five digits
           folder_ / L"a1b2c3d4e5f6a7b8c9d0e1f2a3b4c5d6.exe",           // a 32-character stem
           folder_ / L"abcde12345.exe",                                 // ten characters ending in five digits
           folder_ / L"total security 2014v121.exe",                    // a long stem ending in "v121"
           folder_ / L"updatesika.exe",                                 // a generated suffix
           subfolder_ / L"svchost.exe",                                 // outside the system folder
           temp + L"\\" + Unique(L"vxtest-direct-") + L".exe",          // directly in %TEMP%
           microsoft_.path() + L"\\vx" + FourDigits() + L".exe",        // ten characters in %APPDATA%\Microsoft
       })
    rogues.push_back(Place(path));
  std::vector<std::unique_ptr<PlacedProcess>> survivors;
  for (const std::wstring& path : {
           folder_ / L"1234.exe",                                       // four digits
           folder_ / L"shortv121.exe",                                  // a short stem ending in "v121"
           subfolder_ / L"vxhelper.exe",                                // in a subfolder of %TEMP%
           microsoft_.path() + L"\\vxtest" + FourDigits().substr(0, 2) + L".exe",  // twelve characters
       })
    survivors.push_back(Place(path));
  const std::vector<UniqueHandle> systemSvchosts = SystemSvchosts();
  ASSERT_FALSE(systemSvchosts.empty()) << "Wine runs no svchost.exe from its system folder";

  TerminatedPathSet terminated;
  TerminateRogueProcesses(terminated);

  std::vector<std::wstring> expected;
  for (auto& rogue : rogues) {
    EXPECT_TRUE(rogue->WasTerminated()) << Narrow(rogue->path());
    expected.push_back(AsciiLower(rogue->path()));
  }
  for (auto& survivor : survivors) EXPECT_TRUE(survivor->process().Running()) << Narrow(survivor->path());
  for (const UniqueHandle& svchost : systemSvchosts) EXPECT_TRUE(StillRunning(svchost.get()));
  EXPECT_EQ(terminated, TerminatedPathSet(expected.begin(), expected.end()));

  WriteProcessListFile(terminated);
  EXPECT_EQ(ReadProcessListText(ProcessListFilePath()), ProcessListTextOf(expected));
}

// A copy of the test program that sweeps from wherever it was started and lists what it terminated.
VARDEX_TEST_HELPER(SweepHelper, L"sweep") {
  TerminatedPathSet terminated;
  TerminateRogueProcesses(terminated);
  std::string listing;
  for (const std::wstring& path : terminated) listing += Narrow(path) + "\n";
  return WriteFileText(args.at(0), listing) ? 42 : 1;
}

TEST_F(ProcessSweep, SparesItsOwnProcessStartedFromTemp) {
  PlacedProcess rogue(folder_ / L"98765.exe");
  const std::wstring sweeper = ExpandEnv(L"%TEMP%\\") + Unique(L"vxtest-sweeper-") + L".exe";
  ASSERT_TRUE(CopyTestProgram(sweeper));
  ScopeExit removeSweeper([&] { DeleteFileW(sweeper.c_str()); });
  const std::wstring listing = folder_ / L"terminated.txt";

  ChildProcess child;
  ASSERT_TRUE(StartHelper(child, L"sweep", {listing}, sweeper));
  ASSERT_TRUE(child.Wait(60000));
  EXPECT_EQ(child.ExitCode(), 42u) << "the sweeper did not finish its sweep";
  EXPECT_TRUE(rogue.WasTerminated());
  const std::vector<uint8_t> bytes = ReadFileBytes(listing);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text, Narrow(AsciiLower(rogue.path())) + "\n");
}

TEST_F(ProcessSweep, WritesTheListEncipheredAndOnlyWhenSomethingWasTerminated) {
  const std::wstring path = ProcessListFilePath();
  const std::vector<std::wstring> paths = {L"c:\\users\\root\\temp\\12345.exe", L"c:\\program files\\conhost.exe",
                                           L"c:\\x.exe"};
  WriteProcessListFile(TerminatedPathSet(paths.begin(), paths.end()));
  const size_t units = ProcessListTextOf(paths).size();
  const size_t blocks = (units + 3) / 4;
  EXPECT_EQ(ReadFileBytes(path).size(), 4 + 8 * blocks);
  EXPECT_EQ(ReadProcessListText(path), ProcessListTextOf(paths));

  ASSERT_TRUE(WriteFileText(path, "older file"));
  WriteProcessListFile(TerminatedPathSet());
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "older file");
}

}  // namespace
