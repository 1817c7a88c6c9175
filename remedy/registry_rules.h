// The registry state that the remediation puts back: executable open commands, the ".exe" class,
// and debugger redirections under Image File Execution Options. Platform-free data.
#pragma once

#include <string>
#include <vector>

// Open command keys, relative to a classes root.
extern const std::vector<std::wstring> kCommandKeys;
// What each command key's default value is set to: the file itself runs.
inline constexpr wchar_t kRepairedCommand[] = L"\"%1\" %*";
inline constexpr wchar_t kExecutableClass[] = L"exefile";

// Machine classes roots: HKEY_CLASSES_ROOT itself, then this prefix under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kMachineClassesPrefix[] = L"SOFTWARE\\Classes\\";
// User classes roots under HKEY_USERS: the SID followed by each of these.
extern const std::vector<std::wstring> kUserClassesSuffixes;
// ".exe" class keys under HKEY_USERS: the SID followed by each of these.
extern const std::vector<std::wstring> kUserExtensionSuffixes;

inline constexpr wchar_t kProfileListKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
// Shorter profile names are the built-in service accounts, not users.
inline constexpr size_t kMinUserSidLength = 30;

inline constexpr wchar_t kImageOptionsKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
inline constexpr wchar_t kDebuggerValue[] = L"Debugger";
