// The real program under Wine: its single-instance guard and its remediation pre-pass, seen from
// outside through the processes it ends, the process-list file and the registry it repairs.
#include <windows.h>

#include <memory>

#include "common/handles.h"
#include "common/text.h"
#include "remedy/registry_rules.h"
#include "remedy/remedy_test_support.h"
#include "test_config.h"

namespace {

const wchar_t kMutexName[] = L"ORVANE_VXD_Mutex";
const std::wstring kExeCommand = L"SOFTWARE\\Classes\\exefile\\shell\\open\\command";
const wchar_t kHijack[] = L"C:\\rogue\\loader.exe \"%1\" %*";

std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

bool HasWindow(DWORD processId) {
  struct Search {
    DWORD processId;
    bool found;
  } search = {processId, false};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId) s->found = true;
        return !s->found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The pre-pass is over once the program has ended or shows a window, which it opens only after
// the pre-pass; a program still running then is ended here.
bool RunUntilPrePassEnds(const std::wstring& image) {
  ChildProcess program;
  if (!program.Start(image, L"\"" + image + L"\"")) return false;
  for (int tick = 0; tick < 600; ++tick)
    if (program.Wait(100) || HasWindow(program.Id())) return true;
  ADD_FAILURE() << "the pre-pass did not end within a minute";
  return false;
}

// An Image File Execution Options key of the test's own, with a debugger hijack.
class DebuggerHijack {
 public:
  DebuggerHijack()
      : path_(std::wstring(kImageOptionsKey) + L"\\vxtest-" + Pid() + L"-app.exe"), restored_(HKEY_LOCAL_MACHINE, path_) {
    EXPECT_TRUE(WriteString(HKEY_LOCAL_MACHINE, path_, L"C:\\rogue\\debugger.exe", kDebuggerValue));
  }
  bool present() const { return ReadString(HKEY_LOCAL_MACHINE, path_, kDebuggerValue).has_value(); }

 private:
  std::wstring path_;
  RestoredKey restored_;
};

class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
    SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }

 private:
  const wchar_t* name_;
};

class RealProgram : public testing::Test {
 protected:
  TempFolder folder_;
  RestoredFile processList_{ProcessListFilePath()};
  RestoredKey exeCommand_{HKEY_LOCAL_MACHINE, kExeCommand};
};

// Started from %TEMP%, as browsers and archive tools start it, the program must not end itself.
TEST_F(RealProgram, RunsThePrePassFromTempAndRecordsWhatItTerminated) {
  const std::wstring program = ExpandEnv(L"%TEMP%\\VardexDownloader.exe");
  ASSERT_TRUE(CopyFileW(VARDEX_TEST_PROGRAM, program.c_str(), FALSE)) << FormatWin32Error(GetLastError());
  ScopeExit removeProgram([&] { DeleteFileW(program.c_str()); });

  for (const wchar_t* wow64 : {L"0", L"1"}) {  // both pre-pass orders: Wow64 adds a first removal
    SCOPED_TRACE(std::string("VARDEX_SEAM_WOW64=") + (wow64[0] == L'1' ? "1" : "0"));
    ScopedEnvironment seam(L"VARDEX_SEAM_WOW64", wow64);
    PlacedProcess byName(folder_ / L"svchast.exe");
    PlacedProcess inTemp(ExpandEnv(L"%TEMP%\\vxtest-direct-") + Pid() + L".exe");
    PlacedProcess lookAlike(folder_ / L"1234.exe");
    DebuggerHijack hijack;
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kExeCommand, kHijack));
    DeleteFileW(ProcessListFilePath().c_str());

    ASSERT_TRUE(RunUntilPrePassEnds(program));

    EXPECT_TRUE(byName.WasTerminated());
    EXPECT_TRUE(inTemp.WasTerminated());
    EXPECT_TRUE(lookAlike.process().Running());
    EXPECT_EQ(ReadProcessListText(ProcessListFilePath()), ProcessListTextOf({byName.path(), inTemp.path()}));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L"exefile\\shell\\open\\command"), kRepairedCommand);
    EXPECT_FALSE(hijack.present());
  }
}

TEST_F(RealProgram, WithNothingToTerminateAnOlderProcessListStays) {
  DebuggerHijack hijack;  // its removal shows that the pre-pass ran
  ASSERT_TRUE(WriteFileText(ProcessListFilePath(), "older list"));

  ASSERT_TRUE(RunUntilPrePassEnds(VARDEX_TEST_PROGRAM));

  EXPECT_FALSE(hijack.present());
  const std::vector<uint8_t> bytes = ReadFileBytes(ProcessListFilePath());
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "older list");
}

TEST_F(RealProgram, ASecondCopyExitsAtOnceAndChangesNothing) {
  UniqueHandle firstCopy(CreateMutexW(nullptr, FALSE, kMutexName));
  ASSERT_TRUE(firstCopy);
  ASSERT_NE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS)) << "another copy of the program runs";
  PlacedProcess rogue(folder_ / L"svchast.exe");
  DebuggerHijack hijack;
  ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kExeCommand, kHijack));
  ASSERT_TRUE(WriteFileText(ProcessListFilePath(), "older list"));

  ChildProcess second;
  ASSERT_TRUE(second.Start(VARDEX_TEST_PROGRAM, L"\"" VARDEX_TEST_PROGRAM L"\""));
  ASSERT_TRUE(second.Wait(60000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_FALSE(HasWindow(second.Id()));

  EXPECT_TRUE(rogue.process().Running());
  EXPECT_TRUE(hijack.present());
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kExeCommand), kHijack);
  const std::vector<uint8_t> bytes = ReadFileBytes(ProcessListFilePath());
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "older list");
}

}  // namespace
