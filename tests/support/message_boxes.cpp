#include "support/message_boxes.h"

namespace {

std::wstring WindowText(HWND window) {
  wchar_t text[4096];
  const int n = GetWindowTextW(window, text, 4096);
  return std::wstring(text, n > 0 ? size_t(n) : 0);
}

bool IsDialog(HWND window) {
  wchar_t name[16];
  return GetClassNameW(window, name, 16) > 0 && std::wstring(name) == L"#32770";
}

BOOL CALLBACK CollectControl(HWND child, LPARAM param) {
  auto* box = reinterpret_cast<MessageBoxSeen*>(param);
  wchar_t name[16];
  if (GetClassNameW(child, name, 16) == 0) return TRUE;
  const int id = GetDlgCtrlID(child);
  if (_wcsicmp(name, L"Static") == 0 && id == 0xFFFF) box->text = WindowText(child);  // the message itself
  if (_wcsicmp(name, L"Button") == 0) box->buttons.push_back(id);
  return TRUE;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
  if (!IsWindowVisible(window) || !IsDialog(window)) return TRUE;
  MessageBoxSeen box;
  box.window = window;
  GetWindowThreadProcessId(window, &box.processId);
  box.caption = WindowText(window);
  EnumChildWindows(window, CollectControl, reinterpret_cast<LPARAM>(&box));
  reinterpret_cast<std::vector<MessageBoxSeen>*>(param)->push_back(box);
  return TRUE;
}

}  // namespace

std::vector<MessageBoxSeen> VisibleMessageBoxes() {
  std::vector<MessageBoxSeen> boxes;
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&boxes));
  return boxes;
}

MessageBoxSeen WaitForMessageBox(const std::wstring& caption, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    for (const MessageBoxSeen& box : VisibleMessageBoxes())
      if (box.caption == caption) return box;
    Sleep(50);
  } while (GetTickCount() - start < timeoutMs);
  return MessageBoxSeen();
}

void PressMessageBoxButton(const MessageBoxSeen& box, int buttonId) {
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
}
