// The message loop of a thread and the two small interfaces that windows register with it: a
// pre-filter that sees each message before dispatch, and an idle handler for an empty queue.
#pragma once

#include <windows.h>

#include <vector>

namespace WTL {

class CMessageFilter {
 public:
  // True when the message was consumed and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~CMessageFilter() = default;
};

class CIdleHandler {
 public:
  // Called while the queue is empty; true when more idle work is wanted.
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  bool AddMessageFilter(CMessageFilter* filter);
  bool RemoveMessageFilter(CMessageFilter* filter);
  bool AddIdleHandler(CIdleHandler* handler);
  bool RemoveIdleHandler(CIdleHandler* handler);

  // Runs until WM_QUIT and returns its wParam. A failing GetMessage is skipped.
  int Run();

  // The filters, newest first; true when one of them consumed the message.
  BOOL PreTranslateMessage(MSG* msg);
  // Every idle handler once; true when any of them wants more.
  BOOL OnIdle(int idleCount);

 private:
  static bool IsIdleMessage(const MSG& msg);

  std::vector<CMessageFilter*> filters_;
  std::vector<CIdleHandler*> idleHandlers_;
  MSG msg_ = {};
};

}  // namespace WTL
