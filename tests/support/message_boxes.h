// Finds the message boxes that a program shows (in this process or another), reads them and
// answers them as a user would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MessageBoxSeen {
  HWND window = nullptr;
  DWORD processId = 0;
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // command identifiers: IDOK, IDYES, IDNO...
};

// Waits up to timeoutMs for a visible message box with this caption; window is null when none came.
MessageBoxSeen WaitForMessageBox(const std::wstring& caption, DWORD timeoutMs);
// Every visible message box at this moment.
std::vector<MessageBoxSeen> VisibleMessageBoxes();
// Presses the button with this command identifier.
void PressMessageBoxButton(const MessageBoxSeen& box, int buttonId);
