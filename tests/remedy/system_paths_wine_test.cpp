// The sweep's helpers on their own: path expansion and long names on the prefix's real file system,
// the Wow64 test with its seam, and looking up and terminating real processes.
#include <windows.h>

#include "remedy/process_path.h"
#include "remedy/process_sweep.h"
#include "support/win_test_support.h"

namespace {

std::wstring Expanded(std::wstring path, bool appendSeparator) {
  ExpandPath(path, appendSeparator);
  return path;
}

std::wstring Long(std::wstring path) {
  ToLongPath(path);
  return path;
}

std::wstring ShortPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(buffer);
}

TEST(ExpandPath, ExpandsAndEndsInOneSeparatorWhenAsked) {
  const std::wstring temp = ExpandEnv(L"%TEMP%");
  const std::wstring windir = ExpandEnv(L"%windir%");
  SetEnvironmentVariableW(L"VXTEST_TOO_LONG", std::wstring(300, L'x').c_str());
  const struct {
    const wchar_t* path;
    bool separator;
    std::wstring expanded;
  } cases[] = {
      {L"%TEMP%", true, temp + L"\\"},
      {L"%TEMP%\\", true, temp + L"\\"},
      {L"%temp%\\vx4plist.dat", false, temp + L"\\vx4plist.dat"},
      {L"%windir%\\system32\\svchost.exe", false, windir + L"\\system32\\svchost.exe"},
      {L"%VXTEST_UNDEFINED%", true, L"%VXTEST_UNDEFINED%\\"},  // an undefined variable stays
      {L"%VXTEST_TOO_LONG%\\a", true, L"%VXTEST_TOO_LONG%\\a\\"},  // beyond 260 characters: kept as written
  };
  for (const auto& c : cases) EXPECT_EQ(Expanded(c.path, c.separator), c.expanded) << Narrow(c.path);
  SetEnvironmentVariableW(L"VXTEST_TOO_LONG", nullptr);
}

TEST(ToLongPath, ConvertsShortComponentsAlsoWhenTheFileIsMissing) {
  TempFolder folder;
  const std::wstring longFolder = folder / L"Long Folder Name For The Sweep";
  ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));
  const std::wstring shortFolder = ShortPath(longFolder);
  ASSERT_NE(shortFolder.find(L'~'), std::wstring::npos) << "no short name: " << Narrow(shortFolder);
  const struct {
    std::wstring path;
    std::wstring converted;
  } cases[] = {
      {shortFolder, longFolder},
      {shortFolder + L"\\missing.exe", longFolder + L"\\missing.exe"},
      {shortFolder + L"/missing.exe", longFolder + L"/missing.exe"},
      {L"C:\\vxtest~missing\\a.exe", L"C:\\vxtest~missing\\a.exe"},  // nothing to convert: unchanged
      {L"no~separator", L"no~separator"},
      {folder / L"LONGFO~9.XYZ\\a.exe", folder / L"LONGFO~9.XYZ\\a.exe"},
  };
  for (const auto& c : cases) EXPECT_EQ(Long(c.path), c.converted) << Narrow(c.path);
  EXPECT_EQ(Expanded(shortFolder, true), longFolder + L"\\");
}

TEST(IsRunningOnWow64, IsFalseForThe64BitTestProgramUnlessTheSeamSaysOtherwise) {
  EXPECT_FALSE(IsRunningOnWow64());
  SetEnvironmentVariableW(L"VARDEX_SEAM_WOW64", L"1");
  EXPECT_TRUE(IsRunningOnWow64());
  SetEnvironmentVariableW(L"VARDEX_SEAM_WOW64", L"0");
  EXPECT_FALSE(IsRunningOnWow64());
  SetEnvironmentVariableW(L"VARDEX_SEAM_WOW64", nullptr);
}

// Processes on C: and on Z: (where Wine keeps the build) resolve through one map built once.
TEST(GetProcessImagePath, GivesTheWin32PathOfRealProcesses) {
  TempFolder folder;
  const std::wstring copy = folder / L"vxlookup.exe";
  ASSERT_TRUE(CopyFileW(TestProgramPath().c_str(), copy.c_str(), FALSE));
  ChildProcess onC, onZ;
  ASSERT_TRUE(StartHelper(onC, L"sleep", {}, copy));
  ASSERT_TRUE(StartHelper(onZ, L"sleep"));

  DeviceDriveMap map;
  std::wstring path;
  EXPECT_TRUE(GetProcessImagePath(onC.Id(), path, map));
  EXPECT_EQ(lstrcmpiW(path.c_str(), copy.c_str()), 0) << Narrow(path);
  EXPECT_TRUE(GetProcessImagePath(onZ.Id(), path, map));
  EXPECT_EQ(lstrcmpiW(path.c_str(), TestProgramPath().c_str()), 0) << Narrow(path);
  EXPECT_TRUE(GetProcessImagePath(GetCurrentProcessId(), path, map));
  EXPECT_EQ(lstrcmpiW(path.c_str(), TestProgramPath().c_str()), 0) << Narrow(path);
  EXPECT_EQ(map.builds, 1u);

  EXPECT_FALSE(GetProcessImagePath(0x7FFFFFF0, path, map));  // no such process
  EXPECT_TRUE(path.empty());
}

TEST(RebuildDeviceDriveMap, HoldsTheDrivesOfTheRealVolumes) {
  DeviceDriveMap map;
  RebuildDeviceDriveMap(map);
  wchar_t device[MAX_PATH] = {};
  ASSERT_NE(QueryDosDeviceW(L"C:", device, MAX_PATH), 0u);
  bool found = false;
  for (const DeviceDrive& pair : map.pairs)
    if (pair.drive == L"C:" && pair.device == device) found = true;
  EXPECT_TRUE(found) << Narrow(device);
}

TEST(KillProcess, TerminatesARealProcessWithExitCodeZero) {
  ChildProcess child;
  ASSERT_TRUE(StartHelper(child, L"sleep"));
  EXPECT_TRUE(KillProcess(child.Id()));
  ASSERT_TRUE(child.Wait(20000));
  EXPECT_EQ(child.ExitCode(), 0u);
  EXPECT_FALSE(KillProcess(0x7FFFFFF0));  // no such process
}

}  // namespace
