#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "test_config.h"
#include "window/app_module.h"

using namespace Gdiplus::DllExports;

namespace {

// GDI+ and the application module, as the program's entry starts them before any window exists.
class WindowEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    WTL::appModule.Init(GetModuleHandleW(nullptr));
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override {
    Gdiplus::GdiplusShutdown(token_);
    WTL::appModule.Term();
  }

 private:
  ULONG_PTR token_ = 0;
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new WindowEnvironment);

}  // namespace

Canvas::Canvas(int width, int height, bool device) : width_(width), height_(height) {
  if (device) {
    const HDC screen = GetDC(nullptr);
    bitmap_.reset(CreateCompatibleBitmap(screen, width, height));
    dc_.reset(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_.get(), bitmap_.get());
    return;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<uint32_t*>(bits);
  dc_.reset(CreateCompatibleDC(nullptr));
  old_ = SelectObject(dc_.get(), bitmap_.get());
}

Canvas::~Canvas() {
  if (dc_) SelectObject(dc_.get(), old_);  // the bitmap can only be deleted once it is out of the DC
}

COLORREF Canvas::Pixel(int x, int y) const {
  GdiFlush();
  if (bits_ == nullptr) return GetPixel(dc_.get(), x, y);
  const uint32_t bgra = bits_[y * width_ + x];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

std::string DifferingPixels(const Canvas& a, const Canvas& b) {
  std::string list;
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y) && ++count <= 8) list += std::to_string(x) + "," + std::to_string(y) + " ";
  if (count > 8) list += "and " + std::to_string(count - 8) + " more";
  return list;
}

bool Canvas::SavePng(const std::wstring& path) const {
  GdiFlush();
  if (bits_ == nullptr) return false;
  static const CLSID pngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  Gdiplus::GpBitmap* image = nullptr;
  if (GdipCreateBitmapFromScan0(width_, height_, width_ * 4, PixelFormat32bppRGB, reinterpret_cast<BYTE*>(bits_),
                                &image) != Gdiplus::Ok)
    return false;
  UniqueGdipBitmap owner(image);
  return GdipSaveImageToFile(image, path.c_str(), &pngEncoder, nullptr) == Gdiplus::Ok;
}

void CaptureClient(HWND window, Canvas& canvas) {
  const HDC screen = GetDC(window);
  BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), screen, 0, 0, SRCCOPY);
  ReleaseDC(window, screen);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  PumpUntil([&] { return GetTickCount64() >= until; }, ms + 1000);
}

std::wstring ShotPath(const std::wstring& name) {
  const std::wstring folder = std::wstring(VARDEX_TEST_BINARY_DIR) + L"\\shots";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\" + name;
}

HangGuard::HangGuard(const char* what, DWORD limitMs) : what_(what), limitMs_(limitMs) {
  done_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  thread_.reset(CreateThread(nullptr, 0, Watch, this, 0, nullptr));
}

HangGuard::~HangGuard() {
  SetEvent(done_.get());
  WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI HangGuard::Watch(LPVOID param) {
  auto* self = static_cast<HangGuard*>(param);
  if (WaitForSingleObject(self->done_.get(), self->limitMs_) == WAIT_TIMEOUT) {
    std::fprintf(stderr, "HANG: %s did not finish within %lu ms\n", self->what_, self->limitMs_);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 99);
  }
  return 0;
}
