// Puts the open commands of the executable and script classes, and the ".exe" class, back in place:
// machine-wide and for every user whose hive is loaded. Rewrites existing keys only.
#pragma once

#include <windows.h>

#include <string>

void RepairExecutableAssociations();
// One open command key under HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
void RepairCommandKey(const std::wstring& key);
// One open command key under the user's two classes roots in `users`.
void RepairUserCommandKey(HKEY users, const std::wstring& sid, const std::wstring& key);
