// The skinned, animated progress bar: a child window drawn from three images (trough, fill and a
// highlight that sweeps over the filled part). No text, no input, no notifications.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/handles.h"
#include "ui/offscreen_surface.h"
#include "window/window_impl.h"

class CProgressBarEx : public ATL::CWindowImpl<CProgressBarEx> {
 public:
  // Decodes the highlight and the trough; GDI+ must be running.
  CProgressBarEx();
  ~CProgressBarEx() override;

  static ATL::CWndClassInfo& GetWndClassInfo();

  // Creates the child window of `parent` at a provisional place, decodes the fill and starts the
  // animation timer.
  HWND Create(HWND parent);

  // Changes the range only; the fill follows on the next SetPos.
  void SetRange(int32_t minimum, int32_t maximum);
  void SetPos(int32_t newPosition);
  int32_t RangeMin() const { return rangeMin; }
  int32_t RangeMax() const { return rangeMax; }
  float FillFraction() const { return fillFraction; }
  float ShineOffset() const { return shineOffset; }

  // Draws the bar as it is now into `target` at (0, 0), `width` x `height`, double-buffered.
  void PaintContent(HDC target, int width, int height) const;

  BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnPaint();
  void OnAnimationStep();
  bool CopyTrough(HDC target, HDC memory, int width, int height) const;
  void DrawTrough(Gdiplus::GpGraphics* graphics, int width, int height) const;
  void DrawFill(HDC memory, int width) const;
  bool DrawFillAndShine(Gdiplus::GpBitmap* fill, float fillWidth, int barWidth) const;
  void BlendFill(HDC memory, Gdiplus::GpBitmap* fill, int barWidth, int fillWidth) const;

  UniqueGdipBitmap fillImage;
  UniqueGdipBitmap troughImage;
  UniqueGdipBitmap shineImage;
  int32_t rangeMax = 100;
  int32_t rangeMin = 0;
  int32_t position = 0;
  float fillFraction = 0.0f;
  float shineOffset = -0.5f;

  bool positionSetSinceStep = false;  // the next step leaves its repaint to the next SetPos
  // Kept from one paint to the next: the off-screen picture; the trough as a paint draws it, which
  // depends on nothing but the bar's size; the fill bitmap's pixels, and the same premultiplied.
  mutable OffscreenSurface offscreen;
  mutable OffscreenSurface troughCache;
  mutable std::vector<uint32_t> fillPixels;
  mutable OffscreenSurface premultipliedFill;
};
