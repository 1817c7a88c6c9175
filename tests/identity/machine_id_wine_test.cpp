#include <windows.h>

#include <cwctype>

#include "identity/machine_id.h"
#include "identity/md5.h"
#include "support/win_test_support.h"

namespace {

TEST(MachineIdOnWindows, ComesFromTheRealVolumeAndAdapterAndIsStable) {
  const std::wstring volume = GetVolumeSerialText();
  ASSERT_EQ(volume.size(), 9u) << Narrow(volume);
  EXPECT_EQ(volume[4], L'-');
  DWORD serial = 0;
  ASSERT_TRUE(GetVolumeInformationW(ExpandEnv(L"%windir%").substr(0, 3).c_str(), nullptr, 0, &serial, nullptr,
                                    nullptr, nullptr, 0));
  EXPECT_EQ(volume, FormatVolumeSerial(serial));

  const std::wstring adapter = GetAdapterAddressText();
  EXPECT_TRUE(adapter.empty() || adapter.size() == 17u) << Narrow(adapter);

  const std::wstring id = ComputeMachineId();
  EXPECT_EQ(id, MachineIdFromTexts(volume, adapter));
  ASSERT_EQ(id.size(), 32u);
  for (wchar_t c : id) EXPECT_TRUE(std::iswdigit(c) || (c >= L'a' && c <= L'f')) << Narrow(id);
  EXPECT_EQ(ComputeMachineId(), id);
}

VARDEX_TEST_HELPER(HoldOpenForWriting, L"hold-open") {
  // Holds the file open for writing, sharing reading only, until terminated.
  HANDLE file = CreateFileW(args.at(0).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, "abc", 3, &written, nullptr);
  FlushFileBuffers(file);
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, args.at(1).c_str());
  if (ready) SetEvent(ready);
  Sleep(INFINITE);
  return 0;
}

TEST(Md5HexOfFileOnWindows, DigestsAFileThatAnotherProcessHoldsOpenForWriting) {
  TempFolder folder;
  const std::wstring path = folder / L"held.bin";
  const std::wstring eventName = L"vxtest-held-" + std::to_wstring(GetCurrentProcessId());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  ChildProcess holder;
  ASSERT_TRUE(StartHelper(holder, L"hold-open", {path, eventName}));
  ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
  CloseHandle(ready);
  // The writer denies write sharing, so an open that asks to write would fail; reading must not.
  EXPECT_EQ(Md5HexOfFile(path.c_str()), L"900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5HexOfFile(L"C:\\"), L"");
  EXPECT_EQ(Md5HexOfFile((folder / L"missing.bin").c_str()), L"");
  holder.Terminate();
}

}  // namespace
