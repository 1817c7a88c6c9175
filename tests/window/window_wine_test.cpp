#include <windows.h>

#include <string>
#include <thread>

#include "support/win_test_support.h"
#include "window/app_module.h"
#include "window/frame_window.h"
#include "window/message_loop.h"
#include "window/window_impl.h"

namespace {

// Records the order in which it sees messages and consumes the ones it is told to.
class RecordingFilter : public WTL::CMessageFilter {
 public:
  RecordingFilter(char name, std::string& log, WPARAM consumes) : name_(name), log_(log), consumes_(consumes) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_APP) return FALSE;
    log_ += name_;
    log_ += char('0' + msg->wParam);
    return msg->wParam == consumes_;
  }

 private:
  char name_;
  std::string& log_;
  WPARAM consumes_;
};

class CountingIdle : public WTL::CIdleHandler {
 public:
  BOOL OnIdle() override {
    ++calls;
    if (calls < 3) return TRUE;  // wants more
    PostQuitMessage(7);
    return FALSE;
  }
  int calls = 0;
};

TEST(MessageLoop, ServesIdleHandlersWhileTheQueueIsEmptyAndEndsWithTheQuitCode) {
  WTL::CMessageLoop loop;
  CountingIdle idle;
  ASSERT_TRUE(loop.AddIdleHandler(&idle));
  EXPECT_FALSE(loop.AddIdleHandler(&idle));
  EXPECT_EQ(loop.Run(), 7);
  EXPECT_EQ(idle.calls, 3);
}

TEST(MessageLoop, FiltersSeeMessagesNewestFirstAndCanConsumeThem) {
  WTL::CMessageLoop loop;
  std::string log;
  RecordingFilter older('A', log, 9);
  RecordingFilter newer('B', log, 2);
  loop.AddMessageFilter(&older);
  loop.AddMessageFilter(&newer);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 1, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 2, 0);  // consumed by the newer one
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 3, 0);
  PostQuitMessage(4);
  EXPECT_EQ(loop.Run(), 4);
  EXPECT_EQ(log, "B1A1B2B3A3");
  EXPECT_TRUE(loop.RemoveMessageFilter(&older));
  EXPECT_FALSE(loop.RemoveMessageFilter(&older));
}

// A filter that takes itself off the loop on the first message it sees.
class LeavingFilter : public WTL::CMessageFilter {
 public:
  explicit LeavingFilter(WTL::CMessageLoop& loop) : loop_(loop) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_APP) {
      ++seen;
      loop_.RemoveMessageFilter(this);
    }
    return FALSE;
  }
  int seen = 0;

 private:
  WTL::CMessageLoop& loop_;
};

TEST(MessageLoop, AFilterMayLeaveWhileFiltering) {
  WTL::CMessageLoop loop;
  std::string log;
  RecordingFilter first('A', log, 0);
  LeavingFilter leaving(loop);
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&leaving);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 1, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 2, 0);
  PostQuitMessage(0);
  EXPECT_EQ(loop.Run(), 0);
  EXPECT_EQ(leaving.seen, 1);
  EXPECT_EQ(log, "A1A2");
}

TEST(AppModule, KeepsOneLoopPerThreadAndTheMainThread) {
  WTL::CAppModule module;
  WTL::CMessageLoop mainLoop;
  WTL::CMessageLoop otherLoop;
  EXPECT_FALSE(module.AddMessageLoop(&mainLoop)) << "no registry before Init";
  EXPECT_EQ(module.GetMessageLoop(), nullptr);
  ASSERT_EQ(module.Init(GetModuleHandleW(nullptr)), S_OK);
  EXPECT_EQ(module.MainThreadId(), GetCurrentThreadId());
  EXPECT_EQ(module.GetResourceInstance(), GetModuleHandleW(nullptr));
  EXPECT_TRUE(module.AddMessageLoop(&mainLoop));
  EXPECT_FALSE(module.AddMessageLoop(&otherLoop)) << "one loop per thread";

  DWORD otherThread = 0;
  bool otherRemoved = false;
  std::thread other([&] {
    otherThread = GetCurrentThreadId();
    module.AddMessageLoop(&otherLoop);
    EXPECT_EQ(module.GetMessageLoop(), &otherLoop);
    EXPECT_NE(module.MainThreadId(), GetCurrentThreadId());
    otherRemoved = module.RemoveMessageLoop();
  });
  other.join();
  EXPECT_TRUE(otherRemoved);
  EXPECT_EQ(module.GetMessageLoop(otherThread), nullptr);
  EXPECT_EQ(module.GetMessageLoop(), &mainLoop);

  module.Term();
  EXPECT_EQ(module.GetMessageLoop(), nullptr);
  EXPECT_FALSE(module.RemoveMessageLoop());
}

// Answers WM_APP itself and leaves everything else to the default handling.
class TestWindow : public ATL::CWindowImpl<TestWindow, ATL::CWinTraits<WS_POPUP>> {
 public:
  static ATL::CWndClassInfo& GetWndClassInfo() {
    static ATL::CWndClassInfo info = {nullptr, CS_DBLCLKS, COLOR_WINDOW, 0, 0, 0, {}};
    return info;
  }
  BOOL ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_CREATE) sawCreate = true;
    if (message != WM_APP) return FALSE;
    seenWParam = CurrentMessage()->wParam;
    result = 42;
    return TRUE;
  }
  void OnFinalMessage(HWND window) override { finalWindow = window; }

  bool sawCreate = false;
  WPARAM seenWParam = 0;
  HWND finalWindow = nullptr;
};

TEST(WindowImpl, MessagesReachTheObjectAndTheRestGoesToTheDefault) {
  TestWindow window;
  const HWND hwnd = window.Create(nullptr, {10, 10, 100, 50}, L"first title");
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(window.sawCreate);
  EXPECT_EQ(window.hwnd(), hwnd);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_POPUP, WS_POPUP);
  EXPECT_EQ(SendMessageW(hwnd, WM_APP, 5, 0), 42);
  EXPECT_EQ(window.seenWParam, 5u);
  EXPECT_EQ(window.CurrentMessage(), nullptr);
  SetWindowTextW(hwnd, L"second title");
  wchar_t text[32] = L"";
  GetWindowTextW(hwnd, text, 32);
  EXPECT_STREQ(text, L"second title");

  // The class is named after the address of its description.
  wchar_t name[32] = L"";
  GetClassNameW(hwnd, name, 32);
  wchar_t expected[32];
  swprintf(expected, 32, L"ATL:%p", static_cast<void*>(&TestWindow::GetWndClassInfo()));
  EXPECT_STREQ(name, expected);
  EXPECT_EQ(GetClassLongW(hwnd, GCL_STYLE), UINT(CS_DBLCLKS));

  DestroyWindow(hwnd);
  EXPECT_EQ(window.finalWindow, hwnd);
  EXPECT_EQ(window.hwnd(), nullptr);
}

TEST(WindowImpl, AnObjectThatGoesTakesItsWindowWithIt) {
  HWND hwnd = nullptr;
  {
    TestWindow window;
    hwnd = window.Create(nullptr, {0, 0, 50, 50});
    ASSERT_NE(hwnd, nullptr);
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

template <DWORD Style>
class TestFrame : public WTL::CFrameWindowImpl<TestFrame<Style>, ATL::CWinTraits<Style>> {
 public:
  static ATL::CWndClassInfo& GetWndClassInfo() {
    static ATL::CWndClassInfo info = {nullptr, 0, COLOR_WINDOW, 0, 128, 0, {}};
    return info;
  }
};

// Whether a WM_QUIT is waiting in this thread's queue, and its code.
bool TakeQuit(WPARAM* code) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      *code = msg.wParam;
      return true;
    }
    DispatchMessageW(&msg);
  }
  return false;
}

TEST(FrameWindow, ATopLevelFrameEndsTheLoopWithCodeOneAPopUpDoesNot) {
  WTL::appModule.Init(GetModuleHandleW(nullptr));
  TestFrame<WS_OVERLAPPEDWINDOW> frame;
  ASSERT_NE(frame.CreateEx(), nullptr);
  wchar_t title[32] = L"x";
  GetWindowTextW(frame.hwnd(), title, 32);
  EXPECT_STREQ(title, L"") << "no string 128 in this program: untitled";
  EXPECT_EQ(GetMenu(frame.hwnd()), nullptr);
  WPARAM code = 0;
  EXPECT_FALSE(TakeQuit(&code));
  DestroyWindow(frame.hwnd());
  ASSERT_TRUE(TakeQuit(&code));
  EXPECT_EQ(code, 1u);

  TestFrame<WS_POPUP> popUp;
  ASSERT_NE(popUp.CreateEx(), nullptr);
  DestroyWindow(popUp.hwnd());
  EXPECT_FALSE(TakeQuit(&code));
  WTL::appModule.Term();
}

}  // namespace
