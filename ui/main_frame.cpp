#include "ui/main_frame.h"

#include <memory>

#include "common/seams.h"
#include "download/mirror_list.h"
#include "identity/machine_id.h"
#include "resources/resource.h"
#include "ui/estimate_text.h"
#include "ui/frame_rules.h"
#include "window/app_module.h"

namespace {

constexpr UINT_PTR kWatchTimer = 128;
constexpr UINT kWatchPeriodMs = 1000;
constexpr UINT_PTR kRefreshTimer = 250;
constexpr UINT kRefreshPeriodMs = 50;
constexpr COLORREF kTextColour = RGB(206, 228, 221);
constexpr DWORD kClipStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// How often a close that waits for the worker looks for a message box of the worker.
constexpr DWORD kMessageBoxPollMs = 50;

HFONT CreateTahoma(int weight) {
  return CreateFontW(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

PixelRect ToPixelRect(const RECT& r) { return {int(r.left), int(r.top), int(r.right), int(r.bottom)}; }
RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

int32_t ReadSafeModeBoot() {
  bool seam = false;
  if (ReadTestSeam(L"SAFEBOOT", &seam)) return seam ? 1 : 0;
  return GetSystemMetrics(SM_CLEANBOOT) != 0 ? 1 : 0;
}

// Answers a message box with the most cautious of its buttons: No, else Cancel, else OK.
BOOL CALLBACK AnswerMessageBox(HWND window, LPARAM) {
  wchar_t className[16] = L"";
  if (GetClassNameW(window, className, 16) == 0 || lstrcmpW(className, L"#32770") != 0) return TRUE;
  for (const int answer : {IDNO, IDCANCEL, IDOK}) {
    const HWND button = GetDlgItem(window, answer);
    if (button != nullptr) {
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(button));
      break;
    }
  }
  return TRUE;
}

}  // namespace

CMainFrame::CMainFrame(LPTHREAD_START_ROUTINE workerProcedure) : workerProcedure(workerProcedure) {
  icon = LoadIconW(WTL::appModule.GetResourceInstance(), MAKEINTRESOURCEW(IDI_VARDEX));
  status.safeModeBoot = ReadSafeModeBoot();
  mirrors = BuildMirrorList(ConfiguredMirrorHosts(), ComputeMachineId);
}

// The worker reaches into this object, so it must have ended before the object goes. Both ways
// of closing the window wait for it; this covers a window that never got that far.
CMainFrame::~CMainFrame() {
  if (WorkerRunning()) {
    status.cancelRequested = 1;
    WaitForSingleObject(workerThread.get(), INFINITE);
  }
}

ATL::CWndClassInfo& CMainFrame::GetWndClassInfo() {
  static ATL::CWndClassInfo info = {L"ORVi", 0, COLOR_WINDOW, IDI_VARDEX, 128, 0, {}};
  return info;
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
  if (CFrameWindowImpl::PreTranslateMessage(msg)) return TRUE;
  return hwnd_ != nullptr && IsDialogMessageW(hwnd_, msg);
}

BOOL CMainFrame::OnIdle() { return FALSE; }

BOOL CMainFrame::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CREATE:
      result = OnCreate();
      return TRUE;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_ERASEBKGND:  // painting covers the whole client area
      return TRUE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      break;  // the frame goes on and ends the message loop
    default:
      break;
  }
  return CFrameWindowImpl::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

LRESULT CMainFrame::OnCreate() {
  status.rateKBps = 0.0f;
  status.bytesDone = 0;
  LoadSkin();
  EnsureClipStyles();
  PlaceChildren();
  CreateFonts();
  estimateText = L"Starting download..";
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  RegisterWithMessageLoop(true);
  SetWindowTextW(hwnd_, L"Vardex Downloader");
  CentreOnMonitor();
  UpdateLayout();
  StartWorker();
  SetTimer(hwnd_, kWatchTimer, kWatchPeriodMs, nullptr);
  SetTimer(hwnd_, kRefreshTimer, kRefreshPeriodMs, nullptr);
  return 0;
}

// A skin that cannot be loaded or measured counts as 0 x 0: the client area is then empty.
void CMainFrame::LoadSkin() {
  skinBitmap.reset(LoadBitmapW(WTL::appModule.GetResourceInstance(), MAKEINTRESOURCEW(IDB_SKIN)));
  BITMAP info = {};
  if (skinBitmap && GetObjectW(skinBitmap.get(), sizeof info, &info) == sizeof info) {
    skinWidth = info.bmWidth;
    skinHeight = info.bmHeight;
  }
}

void CMainFrame::EnsureClipStyles() {
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  if ((style & kClipStyles) != kClipStyles) SetWindowLongW(hwnd_, GWL_STYLE, style | kClipStyles);
}

// Sizes the window so that its client area is exactly the skin, then places the bar and the two
// text lines relative to the window's border.
void CMainFrame::PlaceChildren() {
  RECT window = {0, 0, skinWidth, skinHeight};
  AdjustWindowRect(&window, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE);
  MoveWindow(hwnd_, window.left, window.top, window.right - window.left, window.bottom - window.top, FALSE);
  const FrameLayout layout = ComputeFrameLayout(ToPixelRect(window));

  progressBar.Create(hwnd_);
  if (progressBar.RangeMin() <= 0 && progressBar.RangeMax() >= 0) progressBar.SetPos(0);
  MoveWindow(progressBar.hwnd(), layout.bar.left, layout.bar.top, layout.bar.Width(), layout.bar.Height(), TRUE);
  estimateRect = ToRect(layout.estimateRect);
  statusRect = ToRect(layout.statusRect);
}

void CMainFrame::CreateFonts() {
  statusFont.reset(CreateTahoma(FW_BOLD));
  estimateFont.reset(CreateTahoma(FW_NORMAL));
}

// The loop of this thread is looked up under the module's lock; a frame without one (no loop
// registered) simply has no filter and idle handler.
void CMainFrame::RegisterWithMessageLoop(bool add) {
  WTL::CMessageLoop* loop = WTL::appModule.GetMessageLoop();
  if (loop == nullptr) return;
  if (add) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  } else {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
}

// On the work area of the nearest monitor; where that cannot be had, the window stays put.
void CMainFrame::CentreOnMonitor() {
  const HMONITOR monitor = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  RECT window = {};
  if (monitor == nullptr || !GetMonitorInfoW(monitor, &info) || !GetWindowRect(hwnd_, &window)) return;
  const PixelPoint corner =
      CentreInWorkArea(ToPixelRect(info.rcWork), window.right - window.left, window.bottom - window.top);
  SetWindowPos(hwnd_, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The worker's message boxes are owned by this window, so it needs the handle before it starts.
// A thread that cannot be created shows at the first watch tick, which then closes the window.
void CMainFrame::StartWorker() {
  ownerWindow = hwnd_;
  workerThread.reset(CreateThread(nullptr, 0, workerProcedure, static_cast<DownloadJob*>(this), 0, &workerThreadId));
}

void CMainFrame::OnTimer(UINT_PTR id) {
  if (id == kWatchTimer) OnWatchTick();
  if (id == kRefreshTimer) OnRefreshTick();
}

// An exit code that cannot be read counts as 0: the worker is taken to have ended.
bool CMainFrame::WorkerRunning() const {
  DWORD code = 0;
  if (!workerThread || !GetExitCodeThread(workerThread.get(), &code)) return false;
  return code == STILL_ACTIVE;
}

void CMainFrame::OnWatchTick() {
  if (WorkerRunning()) return;
  KillTimer(hwnd_, kWatchTimer);
  DestroyWindow(hwnd_);
}

void CMainFrame::OnRefreshTick() {
  const int32_t total = status.bytesTotal;
  const int32_t done = status.bytesDone;
  const float rate = status.rateKBps;
  progressBar.SetRange(0, total);
  if (IsPositionInRange(done, total)) progressBar.SetPos(done);  // else the bar keeps its place
  status.SetStatusText(StatusTextFor(done));
  estimateText = FormatEstimateText(total, done, rate);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void CMainFrame::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd_, &paint);
  if (dc != nullptr) PaintContent(dc);
  EndPaint(hwnd_, &paint);
}

void CMainFrame::PaintContent(HDC target) const {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  bool madeAnew = false;
  if (!offscreen.Fit(target, client.right, client.bottom, &madeAnew)) return;
  const HDC memory = offscreen.dc();
  if (madeAnew) {  // chosen once: choosing a font costs more than drawing the line
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, kTextColour);
    SelectObject(memory, estimateFont.get());
  }
  const std::wstring statusLine = status.CopyStatusText();
  if (!CopyBackground(target, memory, client, statusLine)) DrawBackground(memory, statusLine);
  DrawEstimateLine(memory);
  BitBlt(target, 0, 0, skinWidth, skinHeight, memory, 0, 0, SRCCOPY);
}

// The status line is drawn before the estimate line and changes seldom, so the skin with it is
// kept and drawn again only when its text changes. False when there is no such copy.
bool CMainFrame::CopyBackground(HDC target, HDC memory, const RECT& client, const std::wstring& statusLine) const {
  bool madeAnew = false;
  if (!background.Fit(target, client.right, client.bottom, &madeAnew)) return false;
  if (madeAnew || statusLine != backgroundStatus) {
    if (!DrawBackground(background.dc(), statusLine)) {
      background.Reset();
      return false;
    }
    backgroundStatus = statusLine;
  }
  return BitBlt(memory, 0, 0, skinWidth, skinHeight, background.dc(), 0, 0, SRCCOPY) != FALSE;
}

bool CMainFrame::DrawBackground(HDC dc, const std::wstring& statusLine) const {
  UniqueMemoryDc skin(CreateCompatibleDC(dc));
  if (!skin) return false;
  ScopedSelectObject skinSelected(skin.get(), skinBitmap.get());
  BitBlt(dc, 0, 0, skinWidth, skinHeight, skin.get(), 0, 0, SRCCOPY);
  DrawStatusLine(dc, statusLine);
  return true;
}

void CMainFrame::DrawStatusLine(HDC dc, const std::wstring& statusLine) const {
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, kTextColour);
  RECT area = statusRect;
  {
    ScopedSelectObject font(dc, statusFont.get());
    DrawTextW(dc, statusLine.c_str(), -1, &area, 0);
  }
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

// Into a context that holds the estimate font, the text colour and transparent drawing.
void CMainFrame::DrawEstimateLine(HDC dc) const {
  const std::wstring percent = FormatPercentText(progressBar.FillFraction());
  RECT estimateArea = estimateRect;
  RECT percentArea = estimateRect;
  DrawTextW(dc, estimateText.c_str(), -1, &estimateArea, 0);
  DrawTextW(dc, percent.c_str(), -1, &percentArea, DT_RIGHT);
}

void CMainFrame::OnClose() {
  if (closing) return;
  closing = true;
  if (WorkerRunning()) {
    status.cancelRequested = 1;
    WaitForWorker();
  }
  DestroyWindow(hwnd_);
}

// Waits for the worker without a time limit. Posted messages stay queued, but messages that other
// threads send to this window are served, and message boxes of the worker are answered: a box
// owned by this window sends it messages while it opens and closes, so the worker would otherwise
// wait on this thread while this thread waits on the worker. The box may also appear only after
// the close, so the search goes on until the worker has ended.
void CMainFrame::WaitForWorker() {
  const HANDLE thread = workerThread.get();
  for (;;) {
    AnswerWorkerMessageBoxes();
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, kMessageBoxPollMs, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
    if (woke == WAIT_OBJECT_0 + 1) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

void CMainFrame::AnswerWorkerMessageBoxes() const { EnumThreadWindows(workerThreadId, AnswerMessageBox, 0); }

void CMainFrame::OnDestroy() {
  KillTimer(hwnd_, kRefreshTimer);
  RegisterWithMessageLoop(false);
}

int RunMainWindow(const wchar_t* commandLine, int showCommand, LPTHREAD_START_ROUTINE workerProcedure) {
  WTL::CMessageLoop loop;
  WTL::appModule.AddMessageLoop(&loop);
  auto frame = std::make_unique<CMainFrame>(workerProcedure);
  if (HasReportSwitch(commandLine)) frame->status.writeReport = 1;
  if (frame->CreateEx() == nullptr) {
    WTL::appModule.RemoveMessageLoop();
    return 0;
  }
  ShowWindow(frame->hwnd(), showCommand);
  const int result = loop.Run();
  WTL::appModule.RemoveMessageLoop();
  frame.reset();
  return result;
}
