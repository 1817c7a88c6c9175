// The main window's arithmetic and choices that need no window: where its parts lie, where it is
// centred, and what a refresh tick does with the counters.
#pragma once

#include <cstdint>

struct PixelRect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const PixelRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

struct PixelPoint {
  int x, y;
  bool operator==(const PixelPoint& other) const { return x == other.x && y == other.y; }
};

struct FrameLayout {
  int inset;       // half the window border, truncated toward zero
  int outerWidth;  // the whole window's width
  PixelRect bar;
  PixelRect estimateRect;
  PixelRect statusRect;  // overlaps estimateRect; a one-line text keeps to its top 14 pixels
};

// From the window rectangle that the border adds around the skin (its left edge is negative).
FrameLayout ComputeFrameLayout(const PixelRect& adjustedWindow);

// Top-left corner of a window of the given size centred on the work area and kept inside it,
// as far as it fits.
PixelPoint CentreInWorkArea(const PixelRect& workArea, int width, int height);

// Whether the bar takes bytesDone as its position: only within 0 to bytesTotal.
bool IsPositionInRange(int32_t bytesDone, int32_t bytesTotal);

// The status line that a refresh tick writes.
const wchar_t* StatusTextFor(int32_t bytesDone);

// "-ver" anywhere in the command line, case-sensitive, turns report mode on.
bool HasReportSwitch(const wchar_t* commandLine);
