// The window's pictures drawn the plain way, step by step as a paint of the frame and of the
// progress bar goes, with everything made anew for each picture (off-screen bitmap, contexts,
// fonts, images). The program's paints keep what they can from one paint to the next; what they
// draw must match these pixel for pixel.
#pragma once

#include <windows.h>

#include <string>

// The bar with the given fill and highlight, width x height, into `target` at (0, 0).
void PaintBarPlainly(HDC target, int width, int height, float fillFraction, float shineOffset);

// What the frame draws of itself.
struct FrameContent {
  std::wstring statusText;
  std::wstring estimateText;
  float fillFraction;
  RECT statusRect;
  RECT estimateRect;
};
// The frame's own content (skin, status line, estimate line and percentage), width x height,
// into `target` at (0, 0).
void PaintFramePlainly(HDC target, int width, int height, const FrameContent& content);
