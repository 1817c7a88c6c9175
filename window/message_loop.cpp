#include "window/message_loop.h"

#include <algorithm>

namespace WTL {
namespace {

template <typename T>
bool AddOnce(std::vector<T*>& list, T* item) {
  if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <typename T>
bool RemoveItem(std::vector<T*>& list, T* item) {
  const auto found = std::find(list.begin(), list.end(), item);
  if (found == list.end()) return false;
  list.erase(found);
  return true;
}

}  // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddOnce(filters_, filter); }
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return RemoveItem(filters_, filter); }
bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return AddOnce(idleHandlers_, handler); }
bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return RemoveItem(idleHandlers_, handler); }

int CMessageLoop::Run() {
  bool doIdle = true;
  int idleCount = 0;
  for (;;) {
    while (doIdle && !PeekMessageW(&msg_, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) doIdle = false;
    }
    const BOOL got = GetMessageW(&msg_, nullptr, 0, 0);
    if (got == -1) continue;  // nothing was retrieved; the queue is still good
    if (!got) break;          // WM_QUIT
    if (!PreTranslateMessage(&msg_)) {
      TranslateMessage(&msg_);
      DispatchMessageW(&msg_);
    }
    if (IsIdleMessage(msg_)) {
      doIdle = true;
      idleCount = 0;
    }
  }
  return static_cast<int>(msg_.wParam);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
  // By index: a filter may remove itself (or another) while a message is being filtered.
  for (size_t i = filters_.size(); i-- > 0;) {
    if (i < filters_.size() && filters_[i]->PreTranslateMessage(msg)) return TRUE;
  }
  return FALSE;
}

BOOL CMessageLoop::OnIdle(int) {
  bool more = false;
  for (size_t i = 0; i < idleHandlers_.size(); ++i) {
    if (idleHandlers_[i]->OnIdle()) more = true;
  }
  return more ? TRUE : FALSE;
}

// Messages that arrive constantly do not restart idle processing.
bool CMessageLoop::IsIdleMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // WM_SYSTIMER, the caret blink
      return false;
    default:
      return true;
  }
}

}  // namespace WTL
