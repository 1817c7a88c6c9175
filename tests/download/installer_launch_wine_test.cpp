#include <windows.h>

#include <algorithm>

#include "download/installer_launch.h"
#include "support/win_test_support.h"

namespace {

// Points %ProgramFiles% at a folder of the test's own for the life of the object.
class ProgramFilesOverride {
 public:
  explicit ProgramFilesOverride(const std::wstring& folder) {
    wchar_t old[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ProgramFiles", old, MAX_PATH);
    if (n > 0 && n < MAX_PATH) old_ = old;
    SetEnvironmentVariableW(L"ProgramFiles", folder.c_str());
  }
  ~ProgramFilesOverride() { SetEnvironmentVariableW(L"ProgramFiles", old_.empty() ? nullptr : old_.c_str()); }

 private:
  std::wstring old_;
};

std::wstring MakeDefinitions(const std::wstring& programFiles) {
  const std::wstring defs = programFiles + L"\\Orvane Software Group\\Vardex\\defs";
  CreateDirectoryW(programFiles.c_str(), nullptr);
  CreateDirectoryW((programFiles + L"\\Orvane Software Group").c_str(), nullptr);
  CreateDirectoryW((programFiles + L"\\Orvane Software Group\\Vardex").c_str(), nullptr);
  CreateDirectoryW(defs.c_str(), nullptr);
  CreateDirectoryW((defs + L"\\sub").c_str(), nullptr);
  for (const wchar_t* name : {L"a.dat", L"readonly.dat", L"hidden.dat", L"100%s.dat", L"sub\\keep.dat"})
    EXPECT_TRUE(WriteFileText(defs + L"\\" + name, "x"));
  SetFileAttributesW((defs + L"\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((defs + L"\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  return defs;
}

void ExpectCleaned(const std::wstring& defs) {
  for (const wchar_t* name : {L"a.dat", L"readonly.dat", L"hidden.dat", L"100%s.dat"})
    EXPECT_FALSE(FileExists(defs + L"\\" + name)) << Narrow(name) << " should be gone";
  EXPECT_TRUE(FileExists(defs + L"\\sub\\keep.dat")) << "subfolders are not entered";
  EXPECT_TRUE(FileExists(defs));
}

TEST(CleanDefinitionsFolder, DeletesEveryFileAndKeepsSubfoldersInTheRealProgramFolder) {
  // The prefix's own Program Files, as an installed copy of the product would have it.
  const std::wstring programFiles = ExpandEnv(L"%ProgramFiles%");
  const std::wstring defs = MakeDefinitions(programFiles);
  HANDLE locked = CreateFileW((defs + L"\\locked.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  CleanDefinitionsFolder();
  ExpectCleaned(defs);
  EXPECT_TRUE(FileExists(defs + L"\\locked.dat")) << "a file in use stays";
  CloseHandle(locked);
  DeleteTree(programFiles + L"\\Orvane Software Group");
  CleanDefinitionsFolder();  // no folder at all: nothing to do, nothing fails
}

TEST(CleanDefinitionsFolder, ReachesTheNativeFolderAndCopesWithPercentSignsInThePath) {
  TempFolder scratch;
  // A program folder whose name holds a percent sign, given as the 32-bit folder of 64-bit Windows.
  const std::wstring native = scratch / L"Pro%sgram Files";
  MakeDefinitions(native);
  CreateDirectoryW((scratch / L"Pro%sgram Files (x86)").c_str(), nullptr);
  ProgramFilesOverride override(scratch / L"Pro%sgram Files (x86)");
  EXPECT_EQ(DefinitionsFolderPath(), native + L"\\Orvane Software Group\\Vardex\\defs\\");
  CleanDefinitionsFolder();
  ExpectCleaned(native + L"\\Orvane Software Group\\Vardex\\defs");
}

TEST(LaunchInstaller, StartsThatFileWithItsPathQuotedAsTheWholeCommandLine) {
  TempFolder scratch;
  const std::wstring folder = scratch / L"My Downloads";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring installer = folder + L"\\VX Setup.exe";
  ASSERT_TRUE(CopyFileW(TestProgramPath().c_str(), installer.c_str(), FALSE));
  // A program named like the path's first word must not be the one that starts.
  ASSERT_TRUE(CopyFileW(TestProgramPath().c_str(), (scratch / L"My.exe").c_str(), FALSE));
  const std::wstring record = scratch / L"launch.txt";
  SetEnvironmentVariableW(L"VARDEX_TEST_LAUNCH_RECORD", record.c_str());
  const bool started = LaunchInstaller(installer);
  SetEnvironmentVariableW(L"VARDEX_TEST_LAUNCH_RECORD", nullptr);
  ASSERT_TRUE(started);
  std::string seen;
  for (int i = 0; i < 200 && seen.empty(); ++i) {
    Sleep(50);
    const std::vector<uint8_t> bytes = ReadFileBytes(record);
    if (!bytes.empty() && bytes.back() == '\n' && std::count(bytes.begin(), bytes.end(), '\n') == 2)
      seen.assign(bytes.begin(), bytes.end());
  }
  EXPECT_EQ(seen, Narrow(installer) + "\n\"" + Narrow(installer) + "\"\n");
  EXPECT_FALSE(LaunchInstaller(scratch / L"missing.exe"));
}

}  // namespace
