#include "window/window_impl.h"

#include <cstdio>
#include <utility>

#include "window/app_module.h"

namespace ATL {

CWindowImplRoot::~CWindowImplRoot() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    // The object is half gone: no later message may reach it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

ATOM CWindowImplRoot::RegisterClassOnce(CWndClassInfo& info, WNDPROC procedure) {
  if (info.atom != 0) return info.atom;
  const HINSTANCE instance = WTL::appModule.GetResourceInstance();
  if (info.name == nullptr) swprintf(info.madeName, 24, L"ATL:%p", static_cast<void*>(&info));
  WNDCLASSEXW cls = {};
  cls.cbSize = sizeof cls;
  cls.style = info.style;
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(info.backgroundColour + 1));
  cls.lpszClassName = info.name != nullptr ? info.name : info.madeName;
  if (info.iconId != 0) {
    cls.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(info.iconId), IMAGE_ICON, 32, 32, LR_SHARED));
    cls.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(info.iconId), IMAGE_ICON, 16, 16, LR_SHARED));
  }
  info.atom = RegisterClassExW(&cls);
  return info.atom;
}

HWND CWindowImplRoot::CreateOfClass(CWndClassInfo& info, HWND parent, const WindowPlace& place, const wchar_t* title,
                                    DWORD style, DWORD exStyle, HMENU menuOrId) {
  const ATOM atom = RegisterClassOnce(info, GetWindowProc());
  if (atom == 0) return nullptr;
  // The object travels in the creation data and is bound to the handle on WM_NCCREATE.
  return CreateWindowExW(exStyle, MAKEINTATOM(atom), title, style, place.x, place.y, place.width, place.height,
                         parent, menuOrId, WTL::appModule.GetResourceInstance(), static_cast<CWindowImplRoot*>(this));
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWindowImplRoot* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<CWindowImplRoot*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<CWindowImplRoot*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  // Messages before WM_NCCREATE, and any after the object let go, get the default handling.
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT CWindowImplRoot::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  MSG msg = {hwnd, message, wParam, lParam, 0, {0, 0}};
  const MSG* outer = std::exchange(currentMessage_, &msg);
  LRESULT result = 0;
  if (!ProcessWindowMessage(hwnd, message, wParam, lParam, result))
    result = DefWindowProcW(hwnd, message, wParam, lParam);
  currentMessage_ = outer;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    OnFinalMessage(hwnd);  // may delete the object: nothing of it is touched afterwards
  }
  return result;
}

}  // namespace ATL
