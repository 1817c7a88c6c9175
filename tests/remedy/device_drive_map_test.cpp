#include <gtest/gtest.h>

#include "remedy/device_drive_map.h"

namespace {

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(DeviceDriveMap, TurnsDevicePathsIntoDrivePaths) {
  DeviceDriveMap map;
  map.pairs = {{L"\\Device\\HarddiskVolume1", L"C:"},
               {L"\\Device\\HarddiskVolume10", L"E:"},
               {L"\\Device\\CdRom0", L"D:"}};
  const struct {
    const wchar_t* devicePath;
    const wchar_t* path;
  } cases[] = {
      {L"\\Device\\HarddiskVolume1\\Windows\\x.exe", L"C:\\Windows\\x.exe"},
      {L"\\device\\harddiskvolume1\\a.exe", L"C:\\a.exe"},  // device names compare without case
      {L"\\Device\\HarddiskVolume10\\a.exe", L"E:\\a.exe"},  // not C: followed by "0\a.exe"
      {L"\\Device\\CdRom0\\setup.exe", L"D:\\setup.exe"},
      {L"\\Device\\HarddiskVolume1", L"C:"},
      {L"\\Device\\HarddiskVolume2\\a.exe", L""},
      {L"\\Device\\Mup\\server\\share\\a.exe", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(MapDevicePath(map, c.devicePath), c.path) << Ascii(c.devicePath);
}

TEST(DeviceDriveMap, TakesTheFirstPairThatHoldsThePath) {
  DeviceDriveMap map;
  map.pairs = {{L"\\Device\\HarddiskVolume3", L"F:"}, {L"\\Device\\HarddiskVolume3", L"G:"}};
  EXPECT_EQ(MapDevicePath(map, L"\\Device\\HarddiskVolume3\\a.exe"), L"F:\\a.exe");
}

}  // namespace
