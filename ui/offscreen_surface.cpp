#include "ui/offscreen_surface.h"

#include <utility>

// A memory context makes bitmaps like the one it holds (a DIB section for a DIB section); any
// other context makes them like the display.
OffscreenSurface::Kind OffscreenSurface::KindOf(HDC target, int width, int height) {
  Kind kind;
  kind.width = width;
  kind.height = height;
  if (GetObjectType(target) == OBJ_MEMDC) {
    DIBSECTION held = {};
    const int size = GetObjectW(GetCurrentObject(target, OBJ_BITMAP), sizeof held, &held);
    kind.bitsPerPixel = held.dsBm.bmBitsPixel;
    kind.dibSection = size == static_cast<int>(sizeof held);
  } else {
    kind.bitsPerPixel = GetDeviceCaps(target, BITSPIXEL);
  }
  return kind;
}

bool OffscreenSurface::Fit(HDC target, int width, int height, bool* madeAnew) {
  if (madeAnew != nullptr) *madeAnew = false;
  const Kind wanted = KindOf(target, width, height);
  if (dc_ && pixels_ == nullptr && wanted == kind_) return true;
  Reset();
  UniqueGdiObject bitmap(CreateCompatibleBitmap(target, width, height));
  UniqueMemoryDc dc(bitmap ? CreateCompatibleDC(target) : nullptr);
  if (!Hold(std::move(bitmap), std::move(dc), wanted)) return false;
  if (madeAnew != nullptr) *madeAnew = true;
  return true;
}

bool OffscreenSurface::FitPixels(int width, int height) {
  const Kind wanted = {width, height, 32, true};
  if (dc_ && pixels_ != nullptr && wanted == kind_) return true;
  Reset();
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row y starts at y * width
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc dc(bitmap ? CreateCompatibleDC(nullptr) : nullptr);
  if (!Hold(std::move(bitmap), std::move(dc), wanted)) return false;
  pixels_ = static_cast<uint32_t*>(bits);
  return true;
}

bool OffscreenSurface::Hold(UniqueGdiObject bitmap, UniqueMemoryDc dc, const Kind& kind) {
  if (!dc || SelectObject(dc.get(), bitmap.get()) == nullptr) return false;
  bitmap_ = std::move(bitmap);
  dc_ = std::move(dc);
  kind_ = kind;
  return true;
}

void OffscreenSurface::Reset() {
  dc_.reset();
  bitmap_.reset();
  kind_ = Kind();
  pixels_ = nullptr;
}
