// Helpers for the tests that run under Wine: readable platform errors, scratch folders, files,
// and child processes, including copies of the test program itself running a named helper.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

std::string FormatHresult(HRESULT hr);
std::string FormatWin32Error(DWORD error);
std::string Narrow(const std::wstring& text);  // UTF-8, for test messages

#define EXPECT_HR_OK(expr)                                                   \
  do {                                                                       \
    const HRESULT hr_ = (expr);                                              \
    EXPECT_TRUE(SUCCEEDED(hr_)) << #expr << " gave " << FormatHresult(hr_); \
  } while (0)

std::wstring ExpandEnv(const std::wstring& text);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteFileText(const std::wstring& path, const std::string& text);
bool FileExists(const std::wstring& path);

// A folder of its own under %TEMP% (or under a given parent), deleted with its contents at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& parent = std::wstring());
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};
void DeleteTree(const std::wstring& path);

// Helpers that a copy of the test program runs when started with "--helper NAME ARGS...".
using TestHelper = std::function<int(const std::vector<std::wstring>& args)>;
struct TestHelperRegistration {
  TestHelperRegistration(const wchar_t* name, TestHelper helper);
};
#define VARDEX_TEST_HELPER(id, name) \
  static int id(const std::vector<std::wstring>& args); \
  static TestHelperRegistration id##_registration(name, id); \
  static int id(const std::vector<std::wstring>& args)

// The path of the running test program.
std::wstring TestProgramPath();

// A child process, terminated at the end unless it has ended by itself.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess();
  // Starts `image` with the whole command line `commandLine`; false when it cannot start.
  bool Start(const std::wstring& image, const std::wstring& commandLine);
  // Waits up to timeoutMs; true when the process has ended.
  bool Wait(DWORD timeoutMs);
  DWORD ExitCode() const;
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }
  bool Running() const;
  void Terminate();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Starts a copy of the test program (or the program at `image`) running helper `name`.
bool StartHelper(ChildProcess& child, const std::wstring& name, const std::vector<std::wstring>& args = {},
                 const std::wstring& image = std::wstring());
