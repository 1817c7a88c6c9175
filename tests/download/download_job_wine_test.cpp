// The download job as the worker runs it, against the local mirror server's five sources: which
// URL each source is asked for, which tracker page hears of the download, whether and from which
// file the installer starts, what the user is shown, and the report of "-ver".
#include <windows.h>

#include <algorithm>
#include <thread>

#include "common/handles.h"
#include "download/download_attempts.h"
#include "download/installer_launch.h"
#include "download/worker.h"
#include "identity/machine_id.h"
#include "net/proxy_settings.h"
#include "support/fixtures.h"
#include "support/message_boxes.h"
#include "support/mirror_control.h"
#include "support/win_test_support.h"
#include "download_job_support.h"

namespace {

struct NormalScenario {
  const char* name;
  std::vector<Answer> answers;
  int accepted;  // the source whose file is started, -1 for none
};

class DownloadJobTest : public testing::Test {
 protected:
  Installers installers;
};

TEST_F(DownloadJobTest, NormalModeAcceptsOnlyALargeGenuineInstallerWithStatus200) {
  const Installers& in = installers;
  const NormalScenario scenarios[] = {
      {"a genuine file with another status", {Serve(in.signedLarge(), 203), Serve(in.signedLarge())}, 1},
      {"exactly one mebibyte", {Serve(in.signed1Mib()), Serve(in.signedLarge())}, 1},
      {"one byte more, signed", {Serve(in.signed1048577()), Serve(in.signedLarge())}, 0},
      {"unsigned", {Serve(in.unsignedLarge()), Serve(in.signedLarge())}, 1},
      {"tampered", {Serve(in.tamperedLarge()), Serve(in.signedLarge())}, 1},
      {"the first source good", {Serve(in.signedLarge()), Serve(in.signedLarge())}, 0},
      {"only the https source good", {kMissing, kMissing, kMissing, kMissing, Serve(in.signedLarge())}, 4},
  };
  for (const NormalScenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    RouteSources(s.answers);
    JobRun run;
    run.Start();
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(run.exitCode(), 0u);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(RequestsOf(i, kSources[i].path32).size(), i <= s.accepted ? 1u : 0u) << "source " << i + 1;
      EXPECT_TRUE(RequestsOf(i, kSources[i].path64).empty()) << "a 32-bit system asks for the 32-bit installer";
      const std::vector<MirrorRequest> tracker = TrackerRequests(i);
      if (i != s.accepted) {
        EXPECT_TRUE(tracker.empty()) << "tracker of source " << i + 1 << " must not hear of it";
        continue;
      }
      ASSERT_EQ(tracker.size(), 1u) << "tracker of the accepted source " << i + 1;
      const std::string query = "?sid=salesvane&hwx=" + Narrow(ComputeMachineId());
      EXPECT_EQ(tracker[0].path, kSources[i].trackerPath + query);
      if (kSources[i].tls) {
        EXPECT_EQ(tracker[0].method, "GET") << "https trackers are told through WinINet";
      } else {
        EXPECT_EQ(tracker[0].method, "POST");
        EXPECT_EQ(tracker[0].Header("Content-Length"), "0");
      }
    }
    const std::vector<FixtureRun> runs = run.InstallerRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].image, run.installerPath());
    EXPECT_EQ(runs[0].commandLine, L"\"" + run.installerPath() + L"\"");
    EXPECT_EQ(ReadFileBytes(run.installerPath()), ReadFileBytes(s.answers[size_t(s.accepted)].file));
  }
}

TEST_F(DownloadJobTest, TheVerifiedFileCannotBeReplacedBeforeTheInstallerStarts) {
  RouteSources({Serve(installers.signedLarge())});
  JobRun run;
  const std::wstring path = run.installerPath();
  UniqueFileHandle verified;
  ASSERT_EQ(DownloadAndReport(run.job, path.c_str(), &verified), 1);
  ASSERT_TRUE(verified) << "the checked file is handed over, still open";

  UniqueFileHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer) << "opened for writing while held";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  const std::wstring impostor = run.folder() / L"impostor.exe";
  ASSERT_TRUE(CopyFileW(installers.unsignedLarge().c_str(), impostor.c_str(), FALSE));
  EXPECT_FALSE(MoveFileExW(impostor.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced while held";

  // The installer still starts from that very file while it is held.
  ASSERT_TRUE(LaunchInstaller(path));
  const std::vector<FixtureRun> runs = run.InstallerRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].image, path);
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(installers.signedLarge()));
  verified.reset();
  EXPECT_TRUE(MoveFileExW(impostor.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << "free again once released";
}

TEST_F(DownloadJobTest, AllSourcesFailingShowsTheErrorAndOffersTheManualDownload) {
  RouteSources({Serve(installers.unsignedLarge()), kMissing, kMissing, kMissing, kMissing});
  JobRun run;
  // The prefix's handler for http links records what it is asked to open.
  const std::wstring browserRecord = run.folder() / L"browser.txt";
  ScopedVariable browser(L"VARDEX_TEST_LAUNCH_RECORD", browserRecord);
  ScopedHttpHandler handler(TestProgramPath());
  run.Start();
  const MessageBoxSeen box = WaitForMessageBox(L"Download Error", 120000);
  ASSERT_TRUE(box.window != nullptr) << "no Download Error box";
  EXPECT_EQ(box.text, kConnectionErrorText);
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  for (int i = 0; i < 5; ++i) EXPECT_EQ(RequestsOf(i, kSources[i].path32).size(), 1u) << "source " << i + 1;
  PressMessageBoxButton(box, IDOK);
  ASSERT_TRUE(run.Join());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(TrackerRequests(i).empty());
  EXPECT_TRUE(run.InstallerRuns().empty()) << "nothing unverified is started";
  std::string opened;
  for (int i = 0; i < 100 && opened.empty(); ++i, Sleep(50)) {
    const std::vector<uint8_t> bytes = ReadFileBytes(browserRecord);
    opened.assign(bytes.begin(), bytes.end());
  }
  EXPECT_NE(opened.find(Narrow(run.job.mirrors[0].url32)), std::string::npos) << opened;
}

TEST_F(DownloadJobTest, AnUncreatableInstallerFileIsToldAsSuch) {
  RouteSources({Serve(installers.signedLarge())});
  JobRun run;
  // Every name the worker could choose is taken by a folder.
  CreateDirectoryW(run.installerPath().c_str(), nullptr);
  for (int n = 0; n < 10; ++n)
    CreateDirectoryW((run.folder() / (L"VXSetup(" + std::to_wstring(n) + L").exe")).c_str(), nullptr);
  run.Start();
  const MessageBoxSeen box = WaitForMessageBox(L"Download Error", 120000);
  ASSERT_TRUE(box.window != nullptr);
  EXPECT_EQ(box.text, kDestinationErrorText);
  PressMessageBoxButton(box, IDOK);
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(run.InstallerRuns().empty());
}

TEST_F(DownloadJobTest, ACloseRequestDuringATransferEndsTheCallWithoutADialog) {
  Answer slow = Serve(installers.signedLarge());
  slow.rate = 64 * 1024;
  RouteSources({slow, Serve(installers.signedLarge()), Serve(installers.signedLarge())});
  JobRun run;
  const std::wstring path = run.installerPath();
  int result = -1;
  std::thread call([&] { result = DownloadAndReport(run.job, path.c_str(), nullptr); });
  for (int i = 0; i < 600 && run.job.status.bytesDone.load() == 0; ++i) Sleep(20);
  EXPECT_GT(run.job.status.bytesDone.load(), 0);
  run.job.status.cancelRequested = 1;
  call.join();
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(VisibleMessageBoxes().empty());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(TrackerRequests(i).empty());
  EXPECT_TRUE(RequestsOf(4, kSources[4].path32).empty()) << "no moniker fallback after a close request";
}

TEST_F(DownloadJobTest, OnWow64EveryAttemptAsksForThe64BitInstaller) {
  ScopedVariable wow64(L"VARDEX_SEAM_WOW64", L"1");
  RouteSources({kMissing, kMissing}, {kMissing, Serve(installers.signedLarge())});
  JobRun run;
  run.Start();
  ASSERT_TRUE(run.Join());
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(RequestsOf(i, kSources[i].path32).empty());
    EXPECT_EQ(RequestsOf(i, kSources[i].path64).size(), 1u);
  }
  EXPECT_EQ(TrackerRequests(1).size(), 1u);
  EXPECT_EQ(run.InstallerRuns().size(), 1u);
}

// The digests that md5sum gave for the fixtures (tools/test-env.d/30-digests).
std::wstring Md5SumOf(const std::wstring& fixture) {
  const std::vector<uint8_t> bytes = ReadFileBytes(FixturePath(L"md5sums.txt"));
  const std::string text(bytes.begin(), bytes.end());
  const std::string name = "  " + Narrow(fixture) + "\n";
  const size_t at = text.find(name);
  if (at == std::string::npos || at < 32) return L"(no digest for " + fixture + L")";
  const std::string hex = text.substr(at - 32, 32);
  return std::wstring(hex.begin(), hex.end());
}

struct ExpectedAttempt {
  int status, result;
  std::wstring md5;  // empty: no md5 element
  bool genuine;
};

std::wstring ExpectedAttemptText(const wchar_t* element, const ExpectedAttempt& a, const std::wstring& url) {
  std::wstring text = std::wstring(L"<") + element + L">\n<http>" + std::to_wstring(a.status) + L"</http>\n<apierr>" +
                      std::to_wstring(a.result) + L"</apierr>\n<url>" + url + L"</url>\n";
  if (!a.md5.empty()) text += L"<md5>" + a.md5 + L"</md5>\n";
  return text + (a.genuine ? L"<signed>true</signed>\n" : L"<signed>false</signed>\n") + L"</" + element + L">\n";
}

std::vector<uint8_t> AsReportBytes(const std::wstring& text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (wchar_t c : text) {
    if (c == L'\n') bytes.insert(bytes.end(), {'\r', 0});
    bytes.push_back(uint8_t(c & 0xFF));
    bytes.push_back(uint8_t(c >> 8));
  }
  return bytes;
}

TEST_F(DownloadJobTest, ReportModeRecordsEverySourceAndStartsNothing) {
  const std::wstring good = installers.signedLarge(), small = FixturePath(L"unsigned.exe");
  Answer drop;
  drop.drop = true;
  RouteSources({Serve(good), kMissing, Serve(small), drop, Serve(good)}, {Serve(good), kMissing, drop, drop, Serve(good)});
  JobRun run;
  run.Start(true);
  ASSERT_TRUE(run.Join());

  const ExpectedAttempt genuine{200, 0, Md5SumOf(L"signed-large.exe"), true};
  const ExpectedAttempt missing{404, 0, L"", false};
  const ExpectedAttempt unsignedSmall{200, 0, Md5SumOf(L"unsigned.exe"), false};
  const ExpectedAttempt noAnswer{0, 52, L"", false};  // libcurl: the server sent nothing
  const ExpectedAttempt expected[5][2] = {{genuine, genuine},        {missing, missing}, {unsignedSmall, noAnswer},
                                          {noAnswer, noAnswer}, {genuine, genuine}};
  std::wstring text = L"<ver_log>\n<sid>salesvane</sid>\n";
  for (int i = 0; i < 5; ++i) {
    const MirrorEntry& m = run.job.mirrors[size_t(i)];
    std::wstring tracker = m.trackerUrl;
    tracker.replace(tracker.find(L'&'), 1, L"&amp;");
    text += L"<link>\n<order>" + std::to_wstring(i + 1) + L"</order>\n" +
            ExpectedAttemptText(L"bit32", expected[i][0], m.url32) +
            ExpectedAttemptText(L"bit64", expected[i][1], m.url64) + L"<tracker>" + tracker + L"</tracker>\n</link>\n";
  }
  text += L"</ver_log>";
  const std::vector<uint8_t> report = ReadFileBytes(run.installerPath() + L".xml");
  EXPECT_EQ(report, AsReportBytes(text)) << "report as written:\n" << std::string(report.begin(), report.end());

  EXPECT_TRUE(run.InstallerRuns().empty());
  EXPECT_TRUE(VisibleMessageBoxes().empty());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(TrackerRequests(i).empty()) << "tracker of source " << i + 1;
}

TEST_F(DownloadJobTest, ReportModeStillDownloadsEverythingWhenTheReportCannotBeWritten) {
  RouteSources({Serve(installers.signedLarge())}, {Serve(installers.signedLarge())});
  JobRun run;
  ASSERT_TRUE(CreateDirectoryW((run.installerPath() + L".xml").c_str(), nullptr));
  run.Start(true);
  ASSERT_TRUE(run.Join());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(RequestsOf(i, kSources[i].path32).size(), 1u) << "source " << i + 1;
    EXPECT_EQ(RequestsOf(i, kSources[i].path64).size(), 1u) << "source " << i + 1;
  }
  EXPECT_TRUE(run.InstallerRuns().empty());
}

TEST_F(DownloadJobTest, AReportNameThatWouldNotFitIsSkippedAndTheRunGoesOn) {
  RouteSources({Serve(installers.signedLarge())}, {Serve(installers.signedLarge())});
  TempFolder deep;
  // A temporary folder so deep that the installer's path has 257 characters: it fits, the
  // report's name (four more) does not.
  std::wstring folder = deep.path();
  while (folder.size() < 245) {
    folder += L"\\" + std::wstring(std::min<size_t>(40, 244 - folder.size()), L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << Narrow(folder);
  }
  ASSERT_EQ(folder.size(), 245u);
  JobRun run;
  const std::wstring installer = folder + L"\\VXSetup.exe";
  ASSERT_EQ(installer.size(), 257u);
  int result = -1;
  run.job.status.writeReport = 1;
  std::thread call([&] { result = DownloadAndReport(run.job, installer.c_str(), nullptr); });
  call.join();
  EXPECT_EQ(result, 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(RequestsOf(i, kSources[i].path64).size(), 1u) << "source " << i + 1;
  EXPECT_FALSE(FileExists(installer + L".xml"));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\VXSetup.exe.x*").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no cut-off report name either";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
