#include "reference_paint.h"

#include "common/handles.h"
#include "resources/resource.h"
#include "ui/estimate_text.h"
#include "ui/progress_geometry.h"
#include "ui/resource_image.h"

using namespace Gdiplus::DllExports;

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

void Draw(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* image, const ImageSlice& slice) {
  const SliceRect& to = slice.destination;
  const SliceRect& from = slice.source;
  GdipDrawImageRectRect(graphics, image, to.x, to.y, to.width, to.height, from.x, from.y, from.width, from.height,
                        Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

// The fill and the highlight on a transparent ARGB bitmap of the fill's width, drawn at (1, 1).
void DrawFill(Gdiplus::GpGraphics* graphics, int width, float fillFraction, float shineOffset) {
  const float fillWidth = FillWidth(width, fillFraction);
  const int bitmapWidth = FillBitmapWidth(fillWidth);
  if (bitmapWidth == 0) return;
  Gdiplus::GpBitmap* made = nullptr;
  GdipCreateBitmapFromScan0(bitmapWidth, 14, 0, PixelFormat32bppARGB, nullptr, &made);
  UniqueGdipBitmap fill(made);
  const UniqueGdipBitmap fillImage = LoadImageResource(Self(), IDR_BAR_FILL);
  const UniqueGdipBitmap shineImage = LoadImageResource(Self(), IDR_BAR_SHINE);
  Gdiplus::GpGraphics* opened = nullptr;
  GdipGetImageGraphicsContext(fill.get(), &opened);
  {
    UniqueGdipGraphics surface(opened);
    GdipGraphicsClear(surface.get(), 0x00000000);
    for (const ImageSlice& slice : FillSlices(fillWidth)) Draw(surface.get(), fillImage.get(), slice);
    const SIZE shine = ImageSize(shineImage.get());
    Draw(surface.get(), shineImage.get(), ShineSlice(shineOffset, width, float(shine.cx), float(shine.cy)));
  }
  GdipDrawImageRectI(graphics, fill.get(), 1, 1, bitmapWidth, 14);
}

HFONT Tahoma(int weight) {
  return CreateFontW(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

}  // namespace

void PaintBarPlainly(HDC target, int width, int height, float fillFraction, float shineOffset) {
  UniqueGdiObject buffer(CreateCompatibleBitmap(target, width, height));
  UniqueMemoryDc memory(CreateCompatibleDC(target));
  ScopedSelectObject selected(memory.get(), buffer.get());
  Gdiplus::GpGraphics* opened = nullptr;
  GdipCreateFromHDC(memory.get(), &opened);
  {
    UniqueGdipGraphics graphics(opened);
    GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeHighQuality);
    GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    const UniqueGdipBitmap trough = LoadImageResource(Self(), IDR_BAR_TROUGH);
    const SIZE size = ImageSize(trough.get());
    for (const ImageSlice& slice : TroughSlices(float(size.cx), float(size.cy), float(width), float(height)))
      Draw(graphics.get(), trough.get(), slice);
    DrawFill(graphics.get(), width, fillFraction, shineOffset);
    GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync);
  }
  BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void PaintFramePlainly(HDC target, int width, int height, const FrameContent& content) {
  UniqueGdiObject skinBitmap(LoadBitmapW(Self(), MAKEINTRESOURCEW(IDB_SKIN)));
  UniqueGdiObject statusFont(Tahoma(FW_BOLD));
  UniqueGdiObject estimateFont(Tahoma(FW_NORMAL));
  UniqueGdiObject buffer(CreateCompatibleBitmap(target, width, height));
  UniqueMemoryDc memory(CreateCompatibleDC(target));
  UniqueMemoryDc skin(CreateCompatibleDC(target));
  ScopedSelectObject bufferSelected(memory.get(), buffer.get());
  ScopedSelectObject skinSelected(skin.get(), skinBitmap.get());
  BitBlt(memory.get(), 0, 0, width, height, skin.get(), 0, 0, SRCCOPY);
  SetBkMode(memory.get(), TRANSPARENT);
  SetTextColor(memory.get(), RGB(206, 228, 221));
  RECT status = content.statusRect;
  RECT estimate = content.estimateRect;
  RECT percent = content.estimateRect;
  {
    ScopedSelectObject font(memory.get(), statusFont.get());
    DrawTextW(memory.get(), content.statusText.c_str(), -1, &status, 0);
  }
  {
    ScopedSelectObject font(memory.get(), estimateFont.get());
    DrawTextW(memory.get(), content.estimateText.c_str(), -1, &estimate, 0);
    DrawTextW(memory.get(), FormatPercentText(content.fillFraction).c_str(), -1, &percent, DT_RIGHT);
  }
  BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}
