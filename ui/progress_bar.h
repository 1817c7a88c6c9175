// The skinned, animated progress bar: a child window drawn from three images (trough, fill and a
// highlight that sweeps over the filled part). No text, no input, no notifications.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/handles.h"
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
  void DrawTrough(Gdiplus::GpGraphics* graphics, int width, int height) const;
  void DrawFill(Gdiplus::GpGraphics* graphics, int width) const;
  bool DrawFillAndShine(Gdiplus::GpBitmap* fill, float fillWidth, int barWidth) const;

  UniqueGdipBitmap fillImage;
  UniqueGdipBitmap troughImage;
  UniqueGdipBitmap shineImage;
  int32_t rangeMax = 100;
  int32_t rangeMin = 0;
  int32_t position = 0;
  float fillFraction = 0.0f;
  float shineOffset = -0.5f;
};
