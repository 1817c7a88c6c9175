// The worker's stages before the download: the Windows Installer service, the proxy question, and
// the choice of the local installer file, on the prefix's real service manager and registry.
#include <windows.h>

#include "common/handles.h"
#include "download/worker.h"
#include "net/installer_service.h"
#include "net/proxy_settings.h"
#include "support/fixtures.h"
#include "support/message_boxes.h"
#include "support/mirror_control.h"
#include "support/registry_values.h"
#include "support/win_test_support.h"
#include "download_job_support.h"

namespace {

// The prefix's Windows Installer service with another start type for a while; stopped afterwards.
class ScopedInstallerService {
 public:
  explicit ScopedInstallerService(DWORD startType) {
    manager_.reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    service_.reset(OpenServiceW(manager_.get(), kInstallerServiceName, SERVICE_ALL_ACCESS));
    Stop();
    SetStartType(startType);
  }
  ~ScopedInstallerService() {
    Stop();
    SetStartType(SERVICE_DEMAND_START);
  }

 private:
  void SetStartType(DWORD type) {
    EXPECT_TRUE(ChangeServiceConfigW(service_.get(), SERVICE_NO_CHANGE, type, SERVICE_NO_CHANGE, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr));
  }
  void Stop() {
    SERVICE_STATUS status = {};
    ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 100 && QueryServiceStatus(service_.get(), &status) && status.dwCurrentState != SERVICE_STOPPED;
         ++i)
      Sleep(100);
  }
  UniqueService manager_, service_;
};

TEST(WorkerStages, AnInstallerServiceThatCannotRunIsToldAndNothingIsDownloaded) {
  RouteSources({Serve(FixturePath(L"signed-large.exe"))});
  ScopedInstallerService disabled(SERVICE_DISABLED);
  JobRun run;
  run.Start();
  const MessageBoxSeen box = WaitForMessageBox(L"Warning", 60000);
  ASSERT_TRUE(box.window != nullptr);
  EXPECT_EQ(box.text, kInstallerWarningText);
  EXPECT_NE(box.text.find(L"/kb/315346\n\nAfter Windows Installer"), std::wstring::npos);
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  PressMessageBoxButton(box, IDOK);
  ASSERT_TRUE(run.Join());
  EXPECT_TRUE(MirrorRequests().empty()) << "no proxy check and no download after the warning";
  EXPECT_TRUE(run.InstallerRuns().empty());
}

// The Safe-Mode registration of the service, put back as it was afterwards.
class SafeBootKeysTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSafeBootMinimalKey);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSafeBootNetworkKey);
  }
  static bool Registered() {
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, kSafeBootMinimalKey, nullptr) == StringValue(L"Service") &&
           ReadRegistryValue(HKEY_LOCAL_MACHINE, kSafeBootNetworkKey, nullptr) == StringValue(L"Service");
  }
  static bool Absent() {
    return !ReadRegistryValue(HKEY_LOCAL_MACHINE, kSafeBootMinimalKey, nullptr) &&
           !ReadRegistryValue(HKEY_LOCAL_MACHINE, kSafeBootNetworkKey, nullptr);
  }
  SavedRegistryValues minimal_{HKEY_LOCAL_MACHINE, kSafeBootMinimalKey, {L""}};
  SavedRegistryValues network_{HKEY_LOCAL_MACHINE, kSafeBootNetworkKey, {L""}};
};

TEST_F(SafeBootKeysTest, ANormalBootLeavesThemAlone) {
  RouteSources({Serve(FixturePath(L"signed-large.exe"))});
  JobRun run;
  run.Start();
  ASSERT_TRUE(run.Join());
  EXPECT_EQ(run.InstallerRuns().size(), 1u);
  EXPECT_TRUE(Absent());
}

TEST_F(SafeBootKeysTest, AFailSafeBootRestoresThemBeforeTheServiceIsChecked) {
  RouteSources({});
  ScopedInstallerService disabled(SERVICE_DISABLED);
  JobRun run;
  run.job.status.safeModeBoot = 1;
  run.Start();
  const MessageBoxSeen box = WaitForMessageBox(L"Warning", 60000);
  ASSERT_TRUE(box.window != nullptr);
  EXPECT_TRUE(Registered()) << "registered before the service check failed";
  PressMessageBoxButton(box, IDOK);
  ASSERT_TRUE(run.Join());
}

// A hijacked proxy: switched on, with a record that routes through a manual proxy.
class ProxyQuestionTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", DwordValue(1));
    WriteRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", StringValue(L"127.0.0.1:9"));
  }
  // Runs the worker until it asks about the proxy; answers `answer` (0: expects no question).
  void RunAnswering(int answer, bool probeAnswers = true) {
    Answer probe = Serve(L"");
    probe.status = 200;
    probe.drop = !probeAnswers;
    RouteSources({Serve(FixturePath(L"signed-large.exe"))});
    RouteProbe(probe);
    JobRun run;
    run.Start();
    const MessageBoxSeen box = WaitForMessageBox(L"Warning", answer == 0 ? 3000 : 60000);
    if (answer == 0) {
      EXPECT_TRUE(box.window == nullptr) << "an offline machine is asked nothing";
    } else {
      ASSERT_TRUE(box.window != nullptr) << "no proxy question";
      EXPECT_EQ(box.text, kProxyQuestionText);
      EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
      PressMessageBoxButton(box, answer);
    }
    ASSERT_TRUE(run.Join());
    EXPECT_EQ(RequestsOf(0, kSources[0].path32).size(), 1u) << "the download goes ahead";
    EXPECT_EQ(run.InstallerRuns().size(), 1u);
  }
  SavedRegistryValues settings_{HKEY_CURRENT_USER, kInternetSettingsKey,
                                {L"ProxyEnable", L"MigrateProxy", L"ProxyServer"}};
};

TEST_F(ProxyQuestionTest, YesSwitchesTheProxyOffBeforeTheDownload) {
  RunAnswering(IDYES);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable"), DwordValue(0));
  EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer"));
}

TEST_F(ProxyQuestionTest, NoDownloadsWithTheSettingsAsTheyAre) {
  RunAnswering(IDNO);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable"), DwordValue(1));
  EXPECT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer"));
}

TEST_F(ProxyQuestionTest, AMachineThatIsSimplyOfflineIsNotAsked) {
  RunAnswering(0, false);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable"), DwordValue(1));
}

TEST(WorkerStages, ALockedInstallerNameGivesWayToTheFirstNumberedOne) {
  JobRun run;
  UniqueFileHandle locked(CreateFileW(run.installerPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(locked);
  EXPECT_EQ(ChooseInstallerPath(), run.folder() / L"VXSetup(0).exe");
  UniqueFileHandle locked0(CreateFileW((run.folder() / L"VXSetup(0).exe").c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, 0, nullptr));
  EXPECT_EQ(ChooseInstallerPath(), run.folder() / L"VXSetup(1).exe");
  EXPECT_TRUE(FileExists(run.folder() / L"VXSetup(1).exe")) << "the chosen name is created, empty";
}

}  // namespace
