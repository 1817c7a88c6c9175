#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "download/worker_dialogs.h"
#include "reference_paint.h"
#include "support/win_test_support.h"
#include "ui/frame_rules.h"
#include "ui/main_frame.h"
#include "ui_test_support.h"
#include "window/app_module.h"

namespace {

constexpr COLORREF kTextColour = RGB(206, 228, 221);
constexpr int kSkinWidth = 482;
constexpr int kSkinHeight = 156;
const RECT kBar = {11, 130, 469, 144};

// What the scripted workers saw and did; each test program runs one test, so one record will do.
struct WorkerLog {
  std::atomic<DWORD> threadId{0};
  std::atomic<HWND> owner{nullptr};
  std::atomic<int> writeReport{-1};
  std::atomic<bool> sawCancel{false};
  std::atomic<bool> windowAliveAtEnd{false};
  std::atomic<int> answer{-1};
  std::atomic<ULONGLONG> endedAt{0};
  UINT boxStyle = MB_YESNO | MB_ICONWARNING;
  UniqueHandle proceed{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};
WorkerLog workerLog;

DownloadJob& Begin(LPVOID param) {
  DownloadJob& job = *static_cast<DownloadJob*>(param);
  workerLog.threadId = GetCurrentThreadId();
  workerLog.owner = job.ownerWindow;
  workerLog.writeReport = job.status.writeReport;
  return job;
}

DWORD End(DownloadJob& job) {
  workerLog.windowAliveAtEnd = IsWindow(job.ownerWindow) != FALSE;
  workerLog.endedAt = GetTickCount64();
  return 0;
}

bool WaitForCancel(DownloadJob& job, DWORD pollMs = 10) {
  while (job.status.cancelRequested == 0) Sleep(pollMs);
  workerLog.sawCancel = true;
  return true;
}

DWORD WINAPI WaitForCancelWorker(LPVOID param) {
  DownloadJob& job = Begin(param);
  WaitForCancel(job);
  return End(job);
}

DWORD WINAPI QuickWorker(LPVOID param) {
  DownloadJob& job = Begin(param);
  Sleep(100);
  job.status.SetStatusText(L"Finished");
  return End(job);
}

// One progress report of a transfer: the counters and the mean rate since its start.
void Report(DownloadJob& job, int32_t total, int32_t done, ULONGLONG startedAt) {
  job.status.bytesTotal = total;
  job.status.bytesDone = done;
  job.status.rateKBps = float(done / 1024.0 / double(GetTickCount64() - startedAt + 1) * 1000.0);
}

// A throttled download of 10 000 000 bytes at about 800 KB/s that waits for the test before its
// first byte and again at the half.
DWORD WINAPI ThrottledWorker(LPVOID param) {
  DownloadJob& job = Begin(param);
  job.status.SetStatusText(L"Downloading Vardex installer..");
  job.status.bytesTotal = 15000000;  // as the download routine starts
  job.status.bytesDone = 0;
  job.status.rateKBps = 0.0f;
  WaitForSingleObject(workerLog.proceed.get(), INFINITE);
  const ULONGLONG started = GetTickCount64();
  for (int32_t done = 20000; done <= 5000000 && job.status.cancelRequested == 0; done += 20000) {
    Sleep(25);
    Report(job, 10000000, done, started);
  }
  WaitForSingleObject(workerLog.proceed.get(), INFINITE);
  for (int32_t done = 5100000; done <= 10000000 && job.status.cancelRequested == 0; done += 100000) {
    Sleep(5);
    Report(job, 10000000, done, started);
  }
  job.status.SetStatusText(L"Finished");
  return End(job);
}

// A slow transfer that runs until the window asks it to stop, then takes a while to wind up.
DWORD WINAPI TransferUntilCancelWorker(LPVOID param) {
  DownloadJob& job = Begin(param);
  job.status.bytesTotal = 15000000;
  const ULONGLONG started = GetTickCount64();
  for (int32_t done = 0; job.status.cancelRequested == 0; done += 20000) {
    Sleep(20);
    Report(job, 15000000, done, started);
  }
  workerLog.sawCancel = true;
  Sleep(300);
  return End(job);
}

// Asks like the proxy question (or warns like the Windows Installer warning) in a box owned by
// the frame.
DWORD WINAPI QuestionWorker(LPVOID param) {
  DownloadJob& job = Begin(param);
  workerLog.answer = ShowWorkerMessageBox(job, L"The proxy settings look broken. Repair them?", L"Warning",
                                          workerLog.boxStyle);
  return End(job);
}

// The narrowest race: the close arrives after the worker has decided to show its box.
DWORD WINAPI LateBoxWorker(LPVOID param) {
  DownloadJob& job = Begin(param);
  WaitForCancel(job, 1);
  workerLog.answer = MessageBoxW(job.ownerWindow, L"Late question", L"Warning", MB_YESNO | MB_ICONWARNING);
  return End(job);
}

int CountPixels(const Canvas& canvas, const RECT& area, COLORREF colour) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += canvas.Pixel(x, y) == colour ? 1 : 0;
  return n;
}

int RightmostPixel(const Canvas& canvas, const RECT& area, COLORREF colour) {
  for (int x = area.right - 1; x >= area.left; --x)
    for (int y = area.top; y < area.bottom; ++y)
      if (canvas.Pixel(x, y) == colour) return x;
  return -1;
}

bool IsFill(COLORREF c) { return Blue(c) - Red(c) > 50; }

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// The window as PaintContent draws it: the frame's content with the bar drawn at its place.
void Render(const CMainFrame& frame, Canvas& canvas) {
  frame.PaintContent(canvas.dc());
  POINT old;
  SetViewportOrgEx(canvas.dc(), kBar.left, kBar.top, &old);
  frame.ProgressBar().PaintContent(canvas.dc(), kBar.right - kBar.left, kBar.bottom - kBar.top);
  SetViewportOrgEx(canvas.dc(), old.x, old.y, nullptr);
}

// What the screen shows of the window, after every pending paint.
void Capture(const CMainFrame& frame, Canvas& canvas) {
  RedrawWindow(frame.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  CaptureClient(frame.hwnd(), canvas);
}

void ExpectSameOutsideTheBar(const Canvas& a, const Canvas& b) {
  int differing = 0;
  for (int y = 0; y < kSkinHeight; ++y)
    for (int x = 0; x < kSkinWidth; ++x) {
      const bool inBar = x >= kBar.left && x < kBar.right && y >= kBar.top && y < kBar.bottom;
      if (!inBar && a.Pixel(x, y) != b.Pixel(x, y)) ++differing;
    }
  EXPECT_EQ(differing, 0) << "the screen differs from PaintContent";
}

void Save(const Canvas& canvas, const wchar_t* name) {
  EXPECT_TRUE(canvas.SavePng(ShotPath(name))) << Narrow(ShotPath(name));
}

// Frames created on the test's thread, with a message loop registered as the entry does it.
class FrameTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WTL::appModule.AddMessageLoop(&loop)); }
  void TearDown() override { WTL::appModule.RemoveMessageLoop(); }

  // Closes the window as the user would and runs the loop to its end.
  int CloseAndRun(CMainFrame& frame) {
    PostMessageW(frame.hwnd(), WM_CLOSE, 0, 0);
    HangGuard guard("closing the window", 30000);
    return loop.Run();
  }

  WTL::CMessageLoop loop;
};

TEST_F(FrameTest, CreationBuildsTheFixedSizeSkinnedWindowAndStartsTheWorker) {
  CMainFrame frame(WaitForCancelWorker);
  ASSERT_NE(frame.CreateEx(), nullptr);
  const HWND window = frame.hwnd();

  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, kSkinWidth);
  EXPECT_EQ(client.bottom, kSkinHeight);
  RECT bar;
  GetWindowRect(frame.ProgressBar().hwnd(), &bar);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(bar.left, 11);
  EXPECT_EQ(bar.top, 130);
  EXPECT_EQ(bar.right - bar.left, 458);
  EXPECT_EQ(bar.bottom - bar.top, 14);
  EXPECT_EQ(frame.EstimateRect().left, 14);
  EXPECT_EQ(frame.EstimateRect().right, 469);
  EXPECT_EQ(frame.StatusRect().top, 92);

  // A caption with a close box only: not resizable, no minimise or maximise box.
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
            WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP), 0);
  wchar_t text[64] = L"";
  GetClassNameW(window, text, 64);
  EXPECT_STREQ(text, L"ORVi");
  GetWindowTextW(window, text, 64);
  EXPECT_STREQ(text, L"Vardex Downloader");
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON))), 32);
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM))), 16);

  // Centred on the work area of its monitor.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT outer;
  GetWindowRect(window, &outer);
  const PixelPoint centred = CentreInWorkArea({int(monitor.rcWork.left), int(monitor.rcWork.top),
                                               int(monitor.rcWork.right), int(monitor.rcWork.bottom)},
                                              outer.right - outer.left, outer.bottom - outer.top);
  EXPECT_EQ(outer.left, centred.x);
  EXPECT_EQ(outer.top, centred.y);

  // Before the first refresh tick.
  EXPECT_EQ(frame.EstimateText(), L"Starting download..");
  EXPECT_EQ(frame.status.CopyStatusText(), L"");
  EXPECT_EQ(frame.mirrors.size(), 5u);
  // The frame registered itself with the thread's loop.
  EXPECT_FALSE(loop.AddMessageFilter(&frame));
  EXPECT_FALSE(loop.AddIdleHandler(&frame));

  ASSERT_TRUE(PumpUntil([] { return workerLog.threadId != 0; }));
  EXPECT_EQ(workerLog.threadId, frame.WorkerThreadId());
  EXPECT_EQ(workerLog.owner, window);  // the worker's boxes have an owner from the start

  EXPECT_EQ(CloseAndRun(frame), 1);
  EXPECT_TRUE(workerLog.sawCancel);
  EXPECT_TRUE(workerLog.windowAliveAtEnd) << "the window must wait for the worker";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(loop.AddMessageFilter(&frame)) << "the filter must be gone with the window";
  loop.RemoveMessageFilter(&frame);
}

TEST_F(FrameTest, SafeModeFlagComesFromTheBootModeAndTheSeam) {
  const struct {
    const wchar_t* seam;
    int32_t expected;
  } cases[] = {{nullptr, GetSystemMetrics(SM_CLEANBOOT) != 0 ? 1 : 0}, {L"1", 1}, {L"0", 0}};
  for (const auto& c : cases) {
    SetEnvironmentVariableW(L"VARDEX_SEAM_SAFEBOOT", c.seam);
    CMainFrame frame(WaitForCancelWorker);
    EXPECT_EQ(frame.status.safeModeBoot, c.expected) << (c.seam ? Narrow(c.seam) : "no seam");
    EXPECT_EQ(frame.status.writeReport, 0);
  }
  SetEnvironmentVariableW(L"VARDEX_SEAM_SAFEBOOT", nullptr);
}

TEST_F(FrameTest, AThrottledRunShowsItsProgressAndTheWindowClosesByItself) {
  CMainFrame frame(ThrottledWorker);
  ASSERT_NE(frame.CreateEx(), nullptr);
  ShowWindow(frame.hwnd(), SW_SHOWNORMAL);

  // Before the first byte.
  ASSERT_TRUE(PumpUntil([&] {
    return frame.status.CopyStatusText() == L"Connecting to server.." &&
           frame.EstimateText() == L"Time: awaiting connection..";
  }));
  Canvas connecting(kSkinWidth, kSkinHeight);
  Render(frame, connecting);
  Canvas connectingScreen(kSkinWidth, kSkinHeight);
  Capture(frame, connectingScreen);
  Save(connecting, L"connecting.png");
  Save(connectingScreen, L"connecting-screen.png");
  ExpectSameOutsideTheBar(connecting, connectingScreen);
  EXPECT_GT(CountPixels(connecting, {14, 92, 469, 106}, kTextColour), 50) << "status line";
  EXPECT_GT(CountPixels(connecting, {14, 112, 300, 126}, kTextColour), 50) << "estimate line";
  // "  0%" at the right end of the estimate line.
  EXPECT_GE(RightmostPixel(connecting, {14, 112, 469, 126}, kTextColour), 460);
  EXPECT_EQ(CountPixels(connecting, {300, 112, 440, 126}, kTextColour), 0);
  for (int x = kBar.left; x < kBar.right; ++x) ASSERT_FALSE(IsFill(connecting.Pixel(x, 137))) << x;

  // About half of the download, with the highlight over the filled part.
  SetEvent(workerLog.proceed.get());
  const CProgressBarEx& bar = frame.ProgressBar();
  ASSERT_TRUE(PumpUntil([&] {
    return bar.FillFraction() == 0.5f && frame.EstimateText().find(L" s (") != std::wstring::npos &&
           bar.ShineOffset() > -0.15f && bar.ShineOffset() < -0.05f;
  }));
  const std::wstring estimate = frame.EstimateText();
  std::printf("halfway: \"%s\", highlight at %.2f\n", Narrow(estimate).c_str(), bar.ShineOffset());
  EXPECT_EQ(estimate.rfind(L"Time: ", 0), 0u);
  EXPECT_NE(estimate.find(L" KB/s)"), std::wstring::npos);
  EXPECT_EQ(frame.status.CopyStatusText(), L"Downloading Vardex installer..");
  Canvas halfway(kSkinWidth, kSkinHeight);
  Render(frame, halfway);
  Canvas halfwayScreen(kSkinWidth, kSkinHeight);
  Capture(frame, halfwayScreen);
  Save(halfway, L"halfway.png");
  Save(halfwayScreen, L"halfway-screen.png");
  ExpectSameOutsideTheBar(halfway, halfwayScreen);
  for (int x = kBar.left + 1; x <= kBar.left + 228; ++x) ASSERT_TRUE(IsFill(halfway.Pixel(x, 137))) << x;
  for (int x = kBar.left + 231; x < kBar.right; ++x) ASSERT_FALSE(IsFill(halfway.Pixel(x, 137))) << x;
  EXPECT_FALSE(IsFill(halfway.Pixel(kBar.left, 137)));
  EXPECT_GT(CountPixels(halfway, {300, 112, 469, 126}, kTextColour), 10) << "the estimate and \" 50%\"";

  // The highlight moves over the fill and leaves the trough alone.
  const float first = bar.ShineOffset();
  ASSERT_TRUE(PumpUntil([&] { return bar.ShineOffset() > first + 0.2f; }));
  Canvas later(kSkinWidth, kSkinHeight);
  Render(frame, later);
  Save(later, L"halfway-later.png");
  int moved = 0;
  for (int x = kBar.left + 1; x <= kBar.left + 228; ++x) moved += later.Pixel(x, 137) != halfway.Pixel(x, 137);
  EXPECT_GT(moved, 50);
  for (int x = kBar.left + 231; x < kBar.right; ++x) ASSERT_EQ(later.Pixel(x, 137), halfway.Pixel(x, 137)) << x;

  // The rest of the download; then the worker ends and the window goes without any help.
  SetEvent(workerLog.proceed.get());
  int result = 0;
  {
    HangGuard guard("the window closing by itself", 30000);
    result = loop.Run();
  }
  const ULONGLONG closedAt = GetTickCount64();
  EXPECT_EQ(result, 1);
  EXPECT_FALSE(workerLog.sawCancel);
  std::printf("window closed %.2f s after the worker ended\n", double(closedAt - workerLog.endedAt) / 1000.0);
}

TEST_F(FrameTest, RefreshKeepsTheBarForCountersOutOfRangeButUpdatesTheTexts) {
  CMainFrame frame(WaitForCancelWorker);
  ASSERT_NE(frame.CreateEx(), nullptr);
  const CProgressBarEx& bar = frame.ProgressBar();
  DownloadStatus& status = frame.status;

  status.bytesTotal = 1000;
  status.bytesDone = 500;
  status.rateKBps = 50.0f;
  ASSERT_TRUE(PumpUntil([&] { return bar.FillFraction() == 0.5f; }));
  EXPECT_EQ(frame.EstimateText(), L"Time: less than 5 s (50.00 KB/s)");

  // A stage text of the worker lasts until the next tick.
  status.SetStatusText(L"Finished");
  EXPECT_TRUE(PumpUntil([&] { return status.CopyStatusText() == L"Downloading Vardex installer.."; }));

  status.bytesDone = 2000;  // more than announced
  ASSERT_TRUE(PumpUntil([&] { return frame.EstimateText() == L"Time: 1431 min 39 s (50.00 KB/s)"; }));
  EXPECT_EQ(bar.FillFraction(), 0.5f);
  status.bytesDone = -5;
  ASSERT_TRUE(PumpUntil([&] { return frame.EstimateText() == L"Time: less than 5 s (50.00 KB/s)"; }));
  EXPECT_EQ(bar.FillFraction(), 0.5f);

  // An empty range: no fill, "  0%".
  status.bytesTotal = 0;
  status.bytesDone = 0;
  status.rateKBps = 0.0f;
  ASSERT_TRUE(PumpUntil([&] {
    return frame.EstimateText() == L"Time: awaiting connection.." && bar.FillFraction() == 0.0f &&
           status.CopyStatusText() == L"Connecting to server..";
  }));
  EXPECT_EQ(CloseAndRun(frame), 1);
}

// The frame keeps its off-screen bitmap and the skin with the status line from one paint to the
// next; whatever it painted before, a paint must draw what a paint that makes everything anew
// draws, with the status line under the estimate line where the two overlap.
TEST_F(FrameTest, KeptPaintsMatchPlainPaintsPixelForPixel) {
  CMainFrame frame(WaitForCancelWorker);
  ASSERT_NE(frame.CreateEx(), nullptr);
  DownloadStatus& status = frame.status;
  const struct {
    int32_t total, done;
    float rate;
    const wchar_t* stageText;  // written by the worker after the refresh tick; none: the tick's own
    bool device;               // a bitmap like a window's, else a DIB section
  } cases[] = {
      {0, 0, 0.0f, nullptr, false},
      {0, 0, 0.0f, nullptr, false},
      {10000000, 20000, 12.5f, nullptr, false},
      {10000000, 5000000, 812.25f, nullptr, false},
      {10000000, 5000000, 812.25f, L"Finished", false},
      {10000000, 5000000, 812.25f, L"First line\nsecond line, over the estimate", false},
      {10000000, 7000000, 640.0f, nullptr, true},
      {10000000, 7000000, 640.0f, L"First line\nsecond line, over the estimate", true},
      {10000000, 10000000, 1000.0f, nullptr, false},
  };
  for (const auto& c : cases) {
    status.bytesTotal = c.total;
    status.bytesDone = c.done;
    status.rateKBps = c.rate;
    SendMessageW(frame.hwnd(), WM_TIMER, 250, 0);  // a refresh tick
    if (c.stageText != nullptr) status.SetStatusText(c.stageText);
    Canvas kept(kSkinWidth, kSkinHeight, c.device);
    Canvas plain(kSkinWidth, kSkinHeight, c.device);
    frame.PaintContent(kept.dc());
    PaintFramePlainly(plain.dc(), kSkinWidth, kSkinHeight,
                      {status.CopyStatusText(), frame.EstimateText(), frame.ProgressBar().FillFraction(),
                       frame.StatusRect(), frame.EstimateRect()});
    EXPECT_EQ(DifferingPixels(kept, plain), "")
        << (c.device ? "device" : "DIB") << ": \"" << Narrow(status.CopyStatusText()) << "\", \""
        << Narrow(frame.EstimateText()) << "\"";
  }
  EXPECT_EQ(CloseAndRun(frame), 1);
}

// The whole window run, as the entry calls it, with a scripted worker.
int RunWindow(const wchar_t* commandLine, LPTHREAD_START_ROUTINE worker) {
  HangGuard guard("the window run", 60000);
  return RunMainWindow(commandLine, SW_SHOWNORMAL, worker);
}

// Posts WM_CLOSE to the frame once `ready` holds.
std::thread CloseWhen(std::function<bool()> ready) {
  return std::thread([ready] {
    while (!ready()) Sleep(5);
    PostMessageW(workerLog.owner, WM_CLOSE, 0, 0);
  });
}

// When the frame, once the worker has ended, stops being visible.
std::thread WatchHiding(std::atomic<ULONGLONG>& hiddenAt) {
  return std::thread([&hiddenAt] {
    while (workerLog.endedAt == 0 || workerLog.owner == nullptr) Sleep(1);
    while (IsWindowVisible(workerLog.owner)) Sleep(1);
    hiddenAt = GetTickCount64();
  });
}

TEST(WindowRun, EndsWithCodeOneSoonAfterTheWorkerEnds) {
  const struct {
    const wchar_t* commandLine;
    int writeReport;
  } cases[] = {{L"", 0}, {L"\"C:\\VardexDownloader.exe\" -ver", 1}, {L"/VER", 0}};
  for (const auto& c : cases) {
    workerLog.writeReport = -1;
    workerLog.endedAt = 0;
    workerLog.owner = nullptr;
    std::atomic<ULONGLONG> hiddenAt{0};
    std::thread watcher = WatchHiding(hiddenAt);
    EXPECT_EQ(RunWindow(c.commandLine, QuickWorker), 1) << Narrow(c.commandLine);
    const ULONGLONG closedAt = GetTickCount64();
    watcher.join();
    EXPECT_EQ(workerLog.writeReport, c.writeReport) << Narrow(c.commandLine);
    EXPECT_FALSE(IsWindow(workerLog.owner));
    std::printf("\"%s\": hidden %.2f s and the loop ended %.2f s after the worker ended\n",
                Narrow(c.commandLine).c_str(), double(hiddenAt - workerLog.endedAt) / 1000.0,
                double(closedAt - workerLog.endedAt) / 1000.0);
  }
}

TEST(WindowRun, ClosingDuringATransferCancelsItWaitsForTheWorkerThenGoes) {
  std::thread closer = CloseWhen([] { return workerLog.owner != nullptr && workerLog.threadId != 0; });
  EXPECT_EQ(RunWindow(L"", TransferUntilCancelWorker), 1);
  closer.join();
  EXPECT_TRUE(workerLog.sawCancel);
  EXPECT_TRUE(workerLog.windowAliveAtEnd) << "the window went before the worker had ended";
}

bool WorkerShowsABox() {
  bool found = false;
  EnumThreadWindows(
      workerLog.threadId,
      [](HWND window, LPARAM param) -> BOOL {
        wchar_t name[16] = L"";
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window)) *reinterpret_cast<bool*>(param) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST(WindowRun, ClosingWhileTheWorkerShowsABoxAnswersItAndEnds) {
  const struct {
    UINT style;
    int answer;
  } cases[] = {{MB_YESNO | MB_ICONWARNING, IDNO}, {MB_OK | MB_ICONWARNING, IDOK}};
  for (const auto& c : cases) {
    workerLog.boxStyle = c.style;
    workerLog.threadId = 0;
    workerLog.owner = nullptr;
    workerLog.answer = -1;
    std::thread closer = CloseWhen([] { return workerLog.threadId != 0 && WorkerShowsABox(); });
    EXPECT_EQ(RunWindow(L"", QuestionWorker), 1);
    closer.join();
    EXPECT_EQ(workerLog.answer, c.answer) << "style " << c.style;
    EXPECT_TRUE(workerLog.windowAliveAtEnd);
  }
}

TEST(WindowRun, ClosingJustBeforeTheWorkerShowsABoxDoesNotHang) {
  std::thread closer = CloseWhen([] { return workerLog.threadId != 0; });
  EXPECT_EQ(RunWindow(L"", LateBoxWorker), 1);
  closer.join();
  EXPECT_TRUE(workerLog.sawCancel);
  EXPECT_EQ(workerLog.answer, IDNO);
  EXPECT_TRUE(workerLog.windowAliveAtEnd);
}

}  // namespace
