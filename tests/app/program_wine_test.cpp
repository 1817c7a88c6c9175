// The whole program under Wine, as a user runs it: it downloads, verifies and starts the installer
// from the local mirror server's five sources, shows its window meanwhile and closes it by
// itself; "-ver" writes the report instead; closing the window stops everything without a hang.
#include <windows.h>

#include "download/download_job_support.h"
#include "net/installer_service.h"
#include "net/proxy_settings.h"
#include "support/message_boxes.h"
#include "support/registry_values.h"
#include "test_config.h"

namespace {

// One run of the real program with a temporary folder of its own as %TEMP%.
class ProgramRun {
 public:
  ProgramRun()
      : temp_(L"TEMP", folder_.path()), tmp_(L"TMP", folder_.path()), record_(kFixtureRecordVariable, RecordPath()) {}

  bool Start(const std::wstring& arguments = std::wstring()) {
    const std::wstring image = VARDEX_TEST_PROGRAM;
    return program_.Start(image, L"\"" + image + L"\"" + (arguments.empty() ? L"" : L" " + arguments));
  }
  // The frame window, once it exists.
  HWND WaitForFrame(DWORD timeoutMs = 60000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
      HWND frame = FindWindowW(L"ORVi", nullptr);
      if (frame != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(frame, &owner);
        if (owner == program_.Id()) return frame;
      }
      if (program_.Wait(50)) break;
    }
    return nullptr;
  }
  bool Wait(DWORD timeoutMs) { return program_.Wait(timeoutMs); }
  DWORD ExitCode() const { return program_.ExitCode(); }
  DWORD Id() const { return program_.Id(); }
  std::wstring InstallerPath() const { return folder_ / L"VXSetup.exe"; }
  std::wstring RecordPath() const { return folder_ / L"installer-runs.txt"; }
  std::vector<FixtureRun> InstallerRuns() const {
    for (int i = 0; i < 100 && ReadFixtureRuns(RecordPath()).empty(); ++i) Sleep(50);
    return ReadFixtureRuns(RecordPath());
  }

 private:
  TempFolder folder_;
  ScopedVariable temp_, tmp_, record_;
  ChildProcess program_;
};

TEST(Program, DownloadsVerifiesAndStartsTheInstallerThenClosesByItself) {
  RouteSources({kMissing, Serve(FixturePath(L"signed-large.exe"))});
  ProgramRun run;
  ASSERT_TRUE(run.Start());
  ASSERT_NE(run.WaitForFrame(), nullptr) << "no window";
  ASSERT_TRUE(run.Wait(120000));
  EXPECT_EQ(run.ExitCode(), 1u);
  const std::vector<FixtureRun> runs = run.InstallerRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].image, run.InstallerPath());
  EXPECT_EQ(runs[0].commandLine, L"\"" + run.InstallerPath() + L"\"");
  EXPECT_EQ(RequestsOf(0, kSources[0].path32).size(), 1u);
  EXPECT_EQ(TrackerRequests(1).size(), 1u);
  EXPECT_TRUE(TrackerRequests(0).empty());
}

TEST(Program, ReportModeWritesTheReportAndStartsNothing) {
  RouteSources({Serve(FixturePath(L"signed-large.exe"))}, {Serve(FixturePath(L"signed-large.exe"))});
  ProgramRun run;
  ASSERT_TRUE(run.Start(L"/quiet -verbose"));  // "-ver" anywhere, even inside a longer word
  ASSERT_TRUE(run.Wait(180000));
  EXPECT_EQ(run.ExitCode(), 1u);
  const std::vector<uint8_t> report = ReadFileBytes(run.InstallerPath() + L".xml");
  const std::vector<uint8_t> start = {0xFF, 0xFE, '<', 0, 'v', 0, 'e', 0, 'r', 0, '_', 0, 'l', 0, 'o', 0, 'g', 0};
  ASSERT_GE(report.size(), start.size());
  EXPECT_TRUE(std::equal(start.begin(), start.end(), report.begin()));
  EXPECT_TRUE(run.InstallerRuns().empty());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(TrackerRequests(i).empty());
}

TEST(Program, TheSwitchIsCaseSensitive) {
  RouteSources({Serve(FixturePath(L"signed-large.exe"))});
  ProgramRun run;
  ASSERT_TRUE(run.Start(L"-VER /ver"));
  ASSERT_TRUE(run.Wait(120000));
  EXPECT_FALSE(FileExists(run.InstallerPath() + L".xml"));
  EXPECT_EQ(run.InstallerRuns().size(), 1u) << "a normal run";
}

TEST(Program, AFailSafeBootRestoresTheInstallerServiceRegistration) {
  SavedRegistryValues minimal(HKEY_LOCAL_MACHINE, kSafeBootMinimalKey, {L""});
  SavedRegistryValues network(HKEY_LOCAL_MACHINE, kSafeBootNetworkKey, {L""});
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSafeBootMinimalKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSafeBootNetworkKey);
  RouteSources({Serve(FixturePath(L"signed-large.exe"))});
  ScopedVariable safeBoot(L"VARDEX_SEAM_SAFEBOOT", L"1");
  ProgramRun run;
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(run.Wait(120000));
  EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, kSafeBootMinimalKey, nullptr), StringValue(L"Service"));
  EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, kSafeBootNetworkKey, nullptr), StringValue(L"Service"));
}

TEST(Program, ClosingTheWindowDuringATransferStopsItWithoutADialog) {
  Answer slow = Serve(FixturePath(L"signed-large.exe"));
  slow.rate = 32 * 1024;
  RouteSources({slow, Serve(FixturePath(L"signed-large.exe"))});
  ProgramRun run;
  ASSERT_TRUE(run.Start());
  const HWND frame = run.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  for (int i = 0; i < 600; ++i, Sleep(50)) {
    const std::vector<MirrorRequest> requests = RequestsOf(0, kSources[0].path32);
    if (!requests.empty() && requests[0].sent > 0) break;
  }

  // A second copy started meanwhile ends at once and changes nothing.
  ChildProcess second;
  ASSERT_TRUE(second.Start(VARDEX_TEST_PROGRAM, L"\"" VARDEX_TEST_PROGRAM L"\""));
  ASSERT_TRUE(second.Wait(30000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_FALSE(run.Wait(0)) << "the first copy goes on";

  PostMessageW(frame, WM_CLOSE, 0, 0);
  // A dialog would keep the program from ending.
  ASSERT_TRUE(run.Wait(30000)) << "the window did not go after the close";
  EXPECT_EQ(run.ExitCode(), 1u);
  EXPECT_TRUE(run.InstallerRuns().empty());
  const std::vector<MirrorRequest> requests = RequestsOf(0, kSources[0].path32);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].done) << "the transfer was aborted";
  EXPECT_TRUE(TrackerRequests(1).empty());
}

TEST(Program, ClosingWhileTheProxyQuestionIsOpenEndsWithoutAHang) {
  SavedRegistryValues settings(HKEY_CURRENT_USER, kInternetSettingsKey, {L"ProxyEnable", L"ProxyServer"});
  WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", DwordValue(1));
  WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", StringValue(L"127.0.0.1:9"));
  RouteSources({Serve(FixturePath(L"signed-large.exe"))});
  ProgramRun run;
  ASSERT_TRUE(run.Start());
  const HWND frame = run.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  const MessageBoxSeen question = WaitForMessageBox(L"Warning", 60000);
  ASSERT_NE(question.window, nullptr) << "no proxy question";
  EXPECT_EQ(question.processId, run.Id());
  EXPECT_EQ(question.text, kProxyQuestionText);

  PostMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(run.Wait(30000)) << "hung after a close during the question";
  EXPECT_EQ(run.ExitCode(), 1u);
  EXPECT_TRUE(run.InstallerRuns().empty());
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable"), DwordValue(1))
      << "a close is no consent to the repair";
}

}  // namespace
