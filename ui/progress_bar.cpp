#include "ui/progress_bar.h"

#include <utility>

#include "resources/resource.h"
#include "ui/progress_geometry.h"
#include "ui/resource_image.h"
#include "window/app_module.h"

using namespace Gdiplus::DllExports;

namespace {

constexpr UINT_PTR kAnimationTimer = 250;
constexpr UINT kAnimationPeriodMs = 50;

// An empty image draws nothing; the rest of the bar is still drawn.
void DrawSlice(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* image, const ImageSlice& slice) {
  if (graphics == nullptr || image == nullptr) return;
  const SliceRect& to = slice.destination;
  const SliceRect& from = slice.source;
  GdipDrawImageRectRect(graphics, image, to.x, to.y, to.width, to.height, from.x, from.y, from.width, from.height,
                        Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

// A GDI+ surface on `dc` with the modes that the bar's drawing uses; none when it cannot be opened.
Gdiplus::GpGraphics* OpenSurface(HDC dc) {
  Gdiplus::GpGraphics* opened = nullptr;
  if (GdipCreateFromHDC(dc, &opened) != Gdiplus::Ok) return nullptr;
  GdipSetSmoothingMode(opened, Gdiplus::SmoothingModeHighQuality);
  GdipSetInterpolationMode(opened, Gdiplus::InterpolationModeHighQualityBicubic);
  GdipSetTextRenderingHint(opened, Gdiplus::TextRenderingHintAntiAliasGridFit);
  return opened;
}

}  // namespace

CProgressBarEx::CProgressBarEx() {
  const HINSTANCE module = WTL::appModule.GetResourceInstance();
  shineImage = LoadImageResource(module, IDR_BAR_SHINE);
  troughImage = LoadImageResource(module, IDR_BAR_TROUGH);
}

CProgressBarEx::~CProgressBarEx() = default;

ATL::CWndClassInfo& CProgressBarEx::GetWndClassInfo() {
  static ATL::CWndClassInfo info = {nullptr, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW, 0, 0, 0, {}};
  return info;
}

HWND CProgressBarEx::Create(HWND parent) {
  const int troughHeight = ImageSize(troughImage.get()).cy;
  if (CWindowImpl::Create(parent, {10, 30, 20, troughHeight}, nullptr, WS_CHILD | WS_VISIBLE) == nullptr) return nullptr;
  fillImage = LoadImageResource(WTL::appModule.GetResourceInstance(), IDR_BAR_FILL);
  InvalidateRect(hwnd_, nullptr, FALSE);
  SetTimer(hwnd_, kAnimationTimer, kAnimationPeriodMs, nullptr);
  return hwnd_;
}

void CProgressBarEx::SetRange(int32_t minimum, int32_t maximum) {
  rangeMin = minimum;
  rangeMax = maximum;
}

void CProgressBarEx::SetPos(int32_t newPosition) {
  position = newPosition;
  fillFraction = FillFractionOf(position, rangeMin, rangeMax);
  positionSetSinceStep = true;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

BOOL CProgressBarEx::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_ERASEBKGND:  // painting covers the whole window
      return TRUE;
    case WM_TIMER:
      if (wParam == kAnimationTimer) OnAnimationStep();
      return TRUE;
    case WM_DESTROY:
      KillTimer(hwnd_, kAnimationTimer);
      return TRUE;
    default:
      return FALSE;
  }
}

void CProgressBarEx::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd_, &paint);
  RECT client = {};
  GetClientRect(hwnd_, &client);
  if (dc != nullptr) PaintContent(dc, client.right, client.bottom);
  EndPaint(hwnd_, &paint);
}

// The frame sets the position on a timer of the same period, so a step is nearly always followed
// by a SetPos whose repaint shows the step as well: a step repaints by itself only when no
// position came since the step before. So the bar is drawn once per period instead of twice,
// and a bar whose position nobody sets still moves its highlight every step.
void CProgressBarEx::OnAnimationStep() {
  shineOffset = NextShineOffset(shineOffset, fillFraction);
  if (!std::exchange(positionSetSinceStep, false)) InvalidateRect(hwnd_, nullptr, TRUE);
}

void CProgressBarEx::PaintContent(HDC target, int width, int height) const {
  if (!offscreen.Fit(target, width, height)) return;  // nothing of this paint is drawn
  const HDC memory = offscreen.dc();
  if (!CopyTrough(target, memory, width, height)) {
    PatBlt(memory, 0, 0, width, height, BLACKNESS);  // as a new bitmap starts
    UniqueGdipGraphics graphics(OpenSurface(memory));
    if (graphics) DrawTrough(graphics.get(), width, height);
  }
  DrawFill(memory, width);
  BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
}

// Stretching the trough with bicubic interpolation is the dearest part of a paint, and its result
// depends only on the bar's size: it is drawn once per size, into a bitmap made as the off-screen
// one is, and copied on every paint. False when there is no such copy.
bool CProgressBarEx::CopyTrough(HDC target, HDC memory, int width, int height) const {
  bool madeAnew = false;
  if (!troughCache.Fit(target, width, height, &madeAnew)) return false;
  if (madeAnew) {
    UniqueGdipGraphics graphics(OpenSurface(troughCache.dc()));
    if (!graphics) {
      troughCache.Reset();
      return false;
    }
    DrawTrough(graphics.get(), width, height);
    GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync);
  }
  return BitBlt(memory, 0, 0, width, height, troughCache.dc(), 0, 0, SRCCOPY) != FALSE;
}

void CProgressBarEx::DrawTrough(Gdiplus::GpGraphics* graphics, int width, int height) const {
  const SIZE trough = ImageSize(troughImage.get());
  for (const ImageSlice& slice : TroughSlices(static_cast<float>(trough.cx), static_cast<float>(trough.cy),
                                              static_cast<float>(width), static_cast<float>(height)))
    DrawSlice(graphics, troughImage.get(), slice);
}

// The fill image's slices and the highlight onto the fill bitmap; its surface is closed again before
// the bitmap itself is drawn.
bool CProgressBarEx::DrawFillAndShine(Gdiplus::GpBitmap* fill, float fillWidth, int barWidth) const {
  Gdiplus::GpGraphics* opened = nullptr;
  if (GdipGetImageGraphicsContext(fill, &opened) != Gdiplus::Ok) return false;
  UniqueGdipGraphics surface(opened);
  for (const ImageSlice& slice : FillSlices(fillWidth)) DrawSlice(surface.get(), fillImage.get(), slice);
  const SIZE shine = ImageSize(shineImage.get());
  DrawSlice(surface.get(), shineImage.get(),
            ShineSlice(shineOffset, barWidth, static_cast<float>(shine.cx), static_cast<float>(shine.cy)));
  return true;
}

// The fill and the highlight go onto a bitmap of the fill's own width, so that the highlight shows
// only over the filled part. Its pixels are kept from one paint to the next and cleared for each.
void CProgressBarEx::DrawFill(HDC memory, int width) const {
  const float fillWidth = FillWidth(width, fillFraction);
  const int bitmapWidth = FillBitmapWidth(fillWidth);
  if (bitmapWidth == 0) return;
  const int height = static_cast<int>(kFillHeight);
  fillPixels.assign(static_cast<size_t>(bitmapWidth) * height, 0);  // transparent
  Gdiplus::GpBitmap* made = nullptr;
  if (GdipCreateBitmapFromScan0(bitmapWidth, height, bitmapWidth * 4, PixelFormat32bppARGB,
                                reinterpret_cast<BYTE*>(fillPixels.data()), &made) != Gdiplus::Ok)
    return;
  UniqueGdipBitmap fill(made);
  if (DrawFillAndShine(fill.get(), fillWidth, width)) BlendFill(memory, fill.get(), width, bitmapWidth);
}

// The fill bitmap at (1, 1) with its own size, blended by its alpha as GDI+ blends a bitmap into a
// device context: premultiplied, with GdiAlphaBlend. Done here, into a bitmap kept for it, because
// GDI+ makes a device context and a bitmap of its own for each such drawing.
void CProgressBarEx::BlendFill(HDC memory, Gdiplus::GpBitmap* fill, int barWidth, int fillWidth) const {
  const int height = static_cast<int>(kFillHeight);
  if (!premultipliedFill.FitPixels(barWidth, height)) return;
  Gdiplus::BitmapData pixels = {};
  pixels.Width = static_cast<UINT>(fillWidth);
  pixels.Height = static_cast<UINT>(height);
  pixels.Stride = barWidth * 4;
  pixels.PixelFormat = PixelFormat32bppPARGB;
  pixels.Scan0 = premultipliedFill.pixels();
  Gdiplus::GpRect area = {0, 0, fillWidth, height};
  if (GdipBitmapLockBits(fill, &area, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                         PixelFormat32bppPARGB, &pixels) != Gdiplus::Ok)
    return;
  GdipBitmapUnlockBits(fill, &pixels);
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(memory, 1, 1, fillWidth, height, premultipliedFill.dc(), 0, 0, fillWidth, height, blend);
}
