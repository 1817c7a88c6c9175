// Paint costs of the window for tools/bench.d/window: the progress bar's and the frame's
// PaintContent, each run many times into the window's own device context, with the bar half
// filled and its highlight over the fill. Prints "name: value" lines in milliseconds of this
// thread's CPU time per paint.
#include <windows.h>

#include <cstdio>

#include "ui/main_frame.h"
#include "window/app_module.h"

namespace {

constexpr int kPaints = 400;

double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(ticks(kernel) + ticks(user)) / 10000.0;
}

// The CPU time of one call of `paint`, averaged over many; the highlight moves between calls as
// the bar's timer would move it.
template <typename Paint>
double MsPerPaint(HWND animated, Paint paint) {
  paint();  // the first paint may fill caches
  const double start = ThreadCpuMs();
  for (int i = 0; i < kPaints; ++i) {
    if (animated != nullptr) SendMessageW(animated, WM_TIMER, 250, 0);
    paint();
  }
  return (ThreadCpuMs() - start) / kPaints;
}

DWORD WINAPI IdleWorker(LPVOID param) {
  DownloadJob& job = *static_cast<DownloadJob*>(param);
  while (job.status.cancelRequested == 0) Sleep(10);
  return 0;
}

}  // namespace

int wmain() {
  WTL::appModule.Init(GetModuleHandleW(nullptr));
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  int code = 0;
  {
    CMainFrame frame(IdleWorker);
    if (frame.CreateEx() == nullptr) return 1;
    ShowWindow(frame.hwnd(), SW_SHOWNORMAL);
    frame.status.bytesTotal = 1000000;
    frame.status.bytesDone = 500000;
    frame.status.rateKBps = 42.5f;
    // A few refresh ticks, so that the bar is half filled and the texts are those of a transfer.
    for (int i = 0; i < 3; ++i) SendMessageW(frame.hwnd(), WM_TIMER, 250, 0);
    const CProgressBarEx& bar = frame.ProgressBar();
    const HWND barWindow = bar.hwnd();
    for (int i = 0; i < 60; ++i) SendMessageW(barWindow, WM_TIMER, 250, 0);  // the highlight onto the fill

    RECT barClient = {};
    GetClientRect(barWindow, &barClient);
    const HDC barDc = GetDC(barWindow);
    const double barMs =
        MsPerPaint(barWindow, [&] { bar.PaintContent(barDc, barClient.right, barClient.bottom); });
    ReleaseDC(barWindow, barDc);
    const HDC frameDc = GetDC(frame.hwnd());
    const double frameMs = MsPerPaint(nullptr, [&] { frame.PaintContent(frameDc); });
    ReleaseDC(frame.hwnd(), frameDc);
    std::printf("window_bar_paint_ms: %.3f\nwindow_frame_paint_ms: %.3f\n", barMs, frameMs);
    if (barMs <= 0.0 && frameMs <= 0.0) code = 1;
    SendMessageW(frame.hwnd(), WM_CLOSE, 0, 0);
  }
  Gdiplus::GdiplusShutdown(token);
  WTL::appModule.Term();
  return code;
}
