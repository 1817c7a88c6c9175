#include <windows.h>

#include "common/handles.h"
#include "net/installer_service.h"
#include "support/win_test_support.h"

namespace {

// The prefix's real Windows Installer service; its start type and state are put back afterwards.
class InstallerServiceTest : public testing::Test {
 protected:
  void SetUp() override {
    manager_.reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager_) << FormatWin32Error(GetLastError());
    service_.reset(OpenServiceW(manager_.get(), kInstallerServiceName, SERVICE_ALL_ACCESS));
    ASSERT_TRUE(service_) << FormatWin32Error(GetLastError());
    originalStartType_ = StartType();
    Stop();
  }
  void TearDown() override {
    if (!service_) return;
    Stop();
    SetStartType(originalStartType_);
  }

  DWORD State() {
    SERVICE_STATUS status = {};
    QueryServiceStatus(service_.get(), &status);
    return status.dwCurrentState;
  }
  DWORD StartType() {
    DWORD needed = 0;
    QueryServiceConfigW(service_.get(), nullptr, 0, &needed);
    std::vector<uint8_t> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service_.get(), config, needed, &needed)) return DWORD(-1);
    return config->dwStartType;
  }
  void SetStartType(DWORD type) {
    EXPECT_TRUE(ChangeServiceConfigW(service_.get(), SERVICE_NO_CHANGE, type, SERVICE_NO_CHANGE, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr))
        << FormatWin32Error(GetLastError());
  }
  void Stop() {
    SERVICE_STATUS status = {};
    ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 100 && State() != SERVICE_STOPPED; ++i) Sleep(100);
    ASSERT_EQ(State(), DWORD(SERVICE_STOPPED));
  }

  UniqueService manager_, service_;
  DWORD originalStartType_ = SERVICE_DEMAND_START;
};

TEST_F(InstallerServiceTest, StartsAStoppedServiceAndMakesItAutomatic) {
  SetStartType(SERVICE_DEMAND_START);
  EXPECT_TRUE(RepairInstallerService());
  EXPECT_EQ(State(), DWORD(SERVICE_RUNNING));
  EXPECT_EQ(StartType(), DWORD(SERVICE_AUTO_START));

  // Already running: true at once, and the start type is left as it is.
  SetStartType(SERVICE_DEMAND_START);
  EXPECT_TRUE(RepairInstallerService());
  EXPECT_EQ(StartType(), DWORD(SERVICE_DEMAND_START));
}

TEST_F(InstallerServiceTest, ADisabledServiceIsNotEnabledBehindTheUsersBack) {
  SetStartType(SERVICE_DISABLED);
  EXPECT_FALSE(RepairInstallerService());
  EXPECT_EQ(State(), DWORD(SERVICE_STOPPED));
  EXPECT_EQ(StartType(), DWORD(SERVICE_DISABLED));
}

TEST(InstallerSafeBootKeys, AreCreatedWithTheirParentsAndHoldService) {
  const wchar_t* const keys[] = {kSafeBootMinimalKey, kSafeBootNetworkKey};
  for (const wchar_t* key : keys) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
  RestoreInstallerSafeBootKeys();
  for (const wchar_t* key : keys) {
    wchar_t value[32] = {};
    DWORD size = sizeof value, type = 0;
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_ANY, &type, value, &size), ERROR_SUCCESS)
        << Narrow(key);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_STREQ(value, L"Service");
    EXPECT_EQ(size, sizeof L"Service") << "the terminating NUL is counted";
  }
}

}  // namespace
