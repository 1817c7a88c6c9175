// Fixtures of the remediation tests under Wine: copies of the test program placed where the rogue
// rules look, registry keys put back as they were, user hives loaded under HKEY_USERS, and the
// process-list file kept as it was.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/win_test_support.h"

// A copy of the test program at `path`, running the "sleep" helper; terminated and deleted at the end.
class PlacedProcess {
 public:
  explicit PlacedProcess(std::wstring path);
  ~PlacedProcess();
  PlacedProcess(const PlacedProcess&) = delete;
  PlacedProcess& operator=(const PlacedProcess&) = delete;
  const std::wstring& path() const { return path_; }
  ChildProcess& process() { return process_; }
  // Waits for the end (up to 20 s): true when the process ended with exit code 0, as the sweep
  // terminates it.
  bool WasTerminated();

 private:
  std::wstring path_;
  ChildProcess process_;
};

// Copies the test program; false when the copy fails.
bool CopyTestProgram(const std::wstring& path);

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name = nullptr);
bool KeyExists(HKEY root, const std::wstring& path);
// Creates the key as needed and sets a REG_SZ value (the default value when name is null).
bool WriteString(HKEY root, const std::wstring& path, const std::wstring& value, const wchar_t* name = nullptr);

// Puts a key back as it was: deletes what the test created from the first missing ancestor down,
// or restores the default value of a key that existed.
class RestoredKey {
 public:
  RestoredKey(HKEY root, std::wstring path);
  ~RestoredKey();
  RestoredKey(const RestoredKey&) = delete;
  RestoredKey& operator=(const RestoredKey&) = delete;

 private:
  HKEY root_;
  std::wstring path_;
  std::wstring createdFrom_;  // first missing ancestor, empty when the key existed
  std::optional<std::wstring> defaultValue_;
};

// An empty hive loaded as HKEY_USERS\name from a file of its own; unloaded at the end.
class LoadedHive {
 public:
  explicit LoadedHive(std::wstring name);
  ~LoadedHive();
  LoadedHive(const LoadedHive&) = delete;
  LoadedHive& operator=(const LoadedHive&) = delete;
  bool loaded() const { return loaded_; }

 private:
  std::wstring name_;
  std::wstring file_;
  bool loaded_ = false;
};

// The expanded path of "%temp%\vx4plist.dat".
std::wstring ProcessListFilePath();

// Keeps a file's content (or absence) across a test.
class RestoredFile {
 public:
  explicit RestoredFile(std::wstring path);
  ~RestoredFile();
  RestoredFile(const RestoredFile&) = delete;
  RestoredFile& operator=(const RestoredFile&) = delete;

 private:
  std::wstring path_;
  bool existed_;
  std::vector<uint8_t> bytes_;
};

// The process-list file's text, deciphered as the installer does; nullopt when there is no file or
// its size does not match its word count.
std::optional<std::wstring> ReadProcessListText(const std::wstring& path);
// The text that a set of paths gives: each lower-cased path followed by "|", in code-unit order.
std::wstring ProcessListTextOf(const std::vector<std::wstring>& paths);
