// The one top-level window: a fixed-size skinned frame with a status line, a time and rate line
// with the percentage, and the animated progress bar. It starts the download worker when it is
// created, shows what the worker reports, and closes when the worker ends; closing it while the
// worker runs asks the worker to stop and waits for it.
#pragma once

#include <windows.h>

#include <string>

#include "common/handles.h"
#include "download/download_job.h"
#include "ui/offscreen_surface.h"
#include "ui/progress_bar.h"
#include "window/frame_window.h"
#include "window/message_loop.h"

using CMainFrameTraits = ATL::CWinTraits<WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0>;

class CMainFrame : public WTL::CFrameWindowImpl<CMainFrame, CMainFrameTraits>,
                   public WTL::CMessageFilter,
                   public WTL::CIdleHandler,
                   public DownloadJob {
 public:
  // `workerProcedure` runs on the worker thread with this frame's DownloadJob as its parameter.
  explicit CMainFrame(LPTHREAD_START_ROUTINE workerProcedure = WorkerThreadEntry);
  ~CMainFrame() override;

  static ATL::CWndClassInfo& GetWndClassInfo();

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override;
  BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // Draws the frame's own content (skin, status line, estimate line, percentage) into `target`,
  // double-buffered. The progress bar is a child window and draws itself.
  void PaintContent(HDC target) const;

  const CProgressBarEx& ProgressBar() const { return progressBar; }
  const std::wstring& EstimateText() const { return estimateText; }
  RECT StatusRect() const { return statusRect; }
  RECT EstimateRect() const { return estimateRect; }
  DWORD WorkerThreadId() const { return workerThreadId; }

 private:
  LRESULT OnCreate();
  void OnPaint();
  void OnTimer(UINT_PTR id);
  void OnClose();
  void OnDestroy();

  void LoadSkin();
  void EnsureClipStyles();
  void PlaceChildren();
  void CreateFonts();
  void RegisterWithMessageLoop(bool add);
  void CentreOnMonitor();
  void StartWorker();
  void OnWatchTick();
  void OnRefreshTick();
  bool CopyBackground(HDC target, HDC memory, const RECT& client, const std::wstring& statusLine) const;
  bool DrawBackground(HDC dc, const std::wstring& statusLine) const;
  void DrawStatusLine(HDC dc, const std::wstring& statusLine) const;
  void DrawEstimateLine(HDC dc) const;
  bool WorkerRunning() const;
  void WaitForWorker();
  void AnswerWorkerMessageBoxes() const;

  HICON icon = nullptr;  // shared: never destroyed
  CProgressBarEx progressBar;
  RECT statusRect = {};
  UniqueGdiObject statusFont;
  RECT estimateRect = {};
  std::wstring estimateText;
  UniqueGdiObject estimateFont;
  UniqueGdiObject skinBitmap;
  int32_t skinWidth = 0;
  int32_t skinHeight = 0;
  DWORD workerThreadId = 0;
  UniqueHandle workerThread;

  // Kept from one paint to the next: the off-screen picture, which keeps the estimate line's font
  // and colours, and the skin with the status line drawn on it, which only a new status text
  // makes again.
  mutable OffscreenSurface offscreen;
  mutable OffscreenSurface background;
  mutable std::wstring backgroundStatus;

  LPTHREAD_START_ROUTINE workerProcedure;
  bool closing = false;  // a close that arrives while the first one waits is ignored
};

// The window run with a given worker: the frame from creation to the end of the thread's message
// loop. Returns the loop's exit code, or 0 when the window cannot be created.
int RunMainWindow(const wchar_t* commandLine, int showCommand, LPTHREAD_START_ROUTINE workerProcedure);
