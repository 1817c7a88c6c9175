// A top-level frame: created with the title, menu and accelerators of its class's common resource
// id (when the program carries them), lays out its optional bars and client view, filters
// accelerators, and ends the thread's message loop with code 1 when it is destroyed.
#pragma once

#include <windows.h>

#include "window/app_module.h"
#include "window/window_impl.h"

namespace WTL {

using CFrameWinTraits = ATL::CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                        WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>;

template <class T, class Traits = CFrameWinTraits>
class CFrameWindowImpl : public ATL::CWindowImpl<T, Traits> {
 public:
  HWND CreateEx(HWND parent = nullptr, DWORD style = 0, DWORD exStyle = 0) {
    const HINSTANCE instance = appModule.GetResourceInstance();
    const WORD id = T::GetWndClassInfo().commonResourceId;
    wchar_t title[256] = L"";
    HMENU menu = nullptr;
    if (id != 0) {
      LoadStringW(instance, id, title, 256);
      menu = LoadMenuW(instance, MAKEINTRESOURCEW(id));
    }
    const ATL::WindowPlace place = {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    const HWND hwnd = this->Create(parent, place, title, style, exStyle, menu);
    if (hwnd == nullptr && menu != nullptr) DestroyMenu(menu);
    if (hwnd != nullptr && id != 0) accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(id));
    return hwnd;
  }

  BOOL PreTranslateMessage(MSG* msg) {
    return accelerators != nullptr && TranslateAcceleratorW(this->hwnd_, accelerators, msg) != 0;
  }

  // Tool bar on top, status bar at the bottom, the client view in between.
  void UpdateLayout() {
    RECT rect;
    if (!GetClientRect(this->hwnd_, &rect)) return;
    rect.top += PlaceBar(toolBar);
    rect.bottom -= PlaceBar(statusBar);
    if (clientView != nullptr)
      SetWindowPos(clientView, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }

  BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    switch (message) {
      case WM_SIZE:
        UpdateLayout();
        return FALSE;  // the default handling runs as well
      case WM_DESTROY:
        // Only a top-level frame ends the loop; a child or pop-up frame does not.
        if ((GetWindowLongW(hwnd, GWL_STYLE) & (WS_CHILD | WS_POPUP)) == 0) PostQuitMessage(1);
        result = 0;
        return FALSE;
      default:
        return FALSE;
    }
  }

 protected:
  HACCEL accelerators = nullptr;
  HWND toolBar = nullptr;
  HWND statusBar = nullptr;
  HWND clientView = nullptr;

 private:
  // The bars size themselves on WM_SIZE; returns the height that one takes.
  static int PlaceBar(HWND bar) {
    RECT rect;
    if (bar == nullptr || !IsWindowVisible(bar)) return 0;
    SendMessageW(bar, WM_SIZE, 0, 0);
    GetWindowRect(bar, &rect);
    return rect.bottom - rect.top;
  }
};

}  // namespace WTL
