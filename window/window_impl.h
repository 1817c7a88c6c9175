// A window object behind a window handle: the handle's messages reach the object's message map,
// and whatever the map leaves goes to DefWindowProcW.
#pragma once

#include <windows.h>

namespace ATL {

// How a window class is registered. A class without a name gets one made from "ATL:%p" and the
// address of its description, so that every class of the program has a name of its own.
struct CWndClassInfo {
  const wchar_t* name;
  UINT style;
  int backgroundColour;  // a system colour index; the brush is the index plus one
  WORD iconId;           // icon group of the program's resources for the class icons; 0: none
  WORD commonResourceId;  // title, menu and accelerators of a frame; 0: none
  ATOM atom;
  wchar_t madeName[24];
};

// Where a window is created; CW_USEDEFAULT is allowed as for CreateWindowExW.
struct WindowPlace {
  int x, y, width, height;
};

// Window style and extended style used when a window is created with style 0.
template <DWORD Style, DWORD ExStyle = 0>
struct CWinTraits {
  static DWORD GetWndStyle(DWORD style) { return style == 0 ? Style : style; }
  static DWORD GetWndExStyle(DWORD exStyle) { return exStyle == 0 ? ExStyle : exStyle; }
};

class CWindowImplRoot {
 public:
  CWindowImplRoot() = default;
  CWindowImplRoot(const CWindowImplRoot&) = delete;
  CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;

  // The message map: true when the message was handled, with its result in `result`.
  virtual BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  // A window that still exists is cut loose from the object and destroyed.
  virtual ~CWindowImplRoot();
  virtual WNDPROC GetWindowProc() { return WindowProc; }
  // Called after the window's last message (WM_NCDESTROY).
  virtual void OnFinalMessage(HWND) {}

  HWND hwnd() const { return hwnd_; }
  // The message being handled, or nullptr outside a handler.
  const MSG* CurrentMessage() const { return currentMessage_; }

 protected:
  HWND CreateOfClass(CWndClassInfo& info, HWND parent, const WindowPlace& place, const wchar_t* title, DWORD style,
                     DWORD exStyle, HMENU menuOrId);

  HWND hwnd_ = nullptr;

 private:
  static ATOM RegisterClassOnce(CWndClassInfo& info, WNDPROC procedure);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  const MSG* currentMessage_ = nullptr;
};

// T supplies `static CWndClassInfo& GetWndClassInfo()` and the message map.
template <class T, class Traits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS>>
class CWindowImpl : public CWindowImplRoot {
 public:
  HWND Create(HWND parent, const WindowPlace& place, const wchar_t* title = nullptr, DWORD style = 0, DWORD exStyle = 0,
              HMENU menuOrId = nullptr) {
    return CreateOfClass(T::GetWndClassInfo(), parent, place, title, Traits::GetWndStyle(style),
                         Traits::GetWndExStyle(exStyle), menuOrId);
  }
};

}  // namespace ATL
