// The last step of a good normal run: the product's old definitions go, the installer starts.
#pragma once

#include <string>

// The trailing "%s" is no variable and survives the expansion; it marks where file names go.
inline constexpr wchar_t kDefinitionsFolderTemplate[] = L"%programfiles%\\Orvane Software Group\\Vardex\\defs\\%s";
inline constexpr wchar_t kProgramFolderMarker[] = L" (x86)";

// The expanded definitions folder with its trailing backslash, without the first " (x86)" (a 32-bit
// process on 64-bit Windows is given the 32-bit program folder); empty if it does not fit.
std::wstring DefinitionsFolderPath();
// Deletes every file directly in the definitions folder; subfolders stay. Silent.
void CleanDefinitionsFolder();
// Starts the installer from its own file, without waiting; false when it could not be started.
bool LaunchInstaller(const std::wstring& installerPath);
// The clean-up (on 64-bit Windows a second time with file-system redirection off), then the start.
void CleanAndLaunch(const std::wstring& installerPath);
