#include "ui/progress_bar.h"

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

void CProgressBarEx::OnAnimationStep() {
  shineOffset = NextShineOffset(shineOffset, fillFraction);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void CProgressBarEx::PaintContent(HDC target, int width, int height) const {
  UniqueGdiObject buffer(CreateCompatibleBitmap(target, width, height));
  if (!buffer) return;  // nothing of this paint is drawn
  UniqueMemoryDc memory(CreateCompatibleDC(target));
  if (!memory) return;
  ScopedSelectObject selected(memory.get(), buffer.get());
  Gdiplus::GpGraphics* opened = nullptr;
  UniqueGdipGraphics graphics(GdipCreateFromHDC(memory.get(), &opened) == Gdiplus::Ok ? opened : nullptr);
  if (graphics) {
    GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeHighQuality);
    GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    DrawTrough(graphics.get(), width, height);
    DrawFill(graphics.get(), width);
    GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync);
  }
  BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
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
  GdipGraphicsClear(surface.get(), 0x00000000);
  for (const ImageSlice& slice : FillSlices(fillWidth)) DrawSlice(surface.get(), fillImage.get(), slice);
  const SIZE shine = ImageSize(shineImage.get());
  DrawSlice(surface.get(), shineImage.get(),
            ShineSlice(shineOffset, barWidth, static_cast<float>(shine.cx), static_cast<float>(shine.cy)));
  return true;
}

// The fill and the highlight go onto a bitmap of the fill's own width, so that the highlight shows
// only over the filled part.
void CProgressBarEx::DrawFill(Gdiplus::GpGraphics* graphics, int width) const {
  const float fillWidth = FillWidth(width, fillFraction);
  const int bitmapWidth = FillBitmapWidth(fillWidth);
  if (bitmapWidth == 0) return;
  Gdiplus::GpBitmap* made = nullptr;
  if (GdipCreateBitmapFromScan0(bitmapWidth, static_cast<INT>(kFillHeight), 0, PixelFormat32bppARGB, nullptr, &made) !=
      Gdiplus::Ok)
    return;
  UniqueGdipBitmap fill(made);
  if (!DrawFillAndShine(fill.get(), fillWidth, width)) return;
  GdipDrawImageRectI(graphics, fill.get(), 1, 1, bitmapWidth, static_cast<INT>(kFillHeight));
}
