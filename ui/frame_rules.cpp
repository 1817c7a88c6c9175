#include "ui/frame_rules.h"

#include <cwchar>

namespace {

int CentreOnAxis(int low, int high, int size) {
  int start = (low + high) / 2 - size / 2;
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

FrameLayout ComputeFrameLayout(const PixelRect& adjustedWindow) {
  FrameLayout layout = {};
  layout.inset = static_cast<int>(adjustedWindow.left * -0.5);
  layout.outerWidth = adjustedWindow.right - adjustedWindow.left;
  const int left = layout.inset + 10;
  layout.bar = {left, 130, left + layout.outerWidth - 30, 144};
  // Both text lines start 3 pixels right of the bar and end where it ends.
  layout.estimateRect = {layout.inset + 13, 112, layout.inset + layout.outerWidth - 20, 126};
  layout.statusRect = {layout.inset + 13, 92, layout.inset + layout.outerWidth - 20, 126};
  return layout;
}

PixelPoint CentreInWorkArea(const PixelRect& workArea, int width, int height) {
  return {CentreOnAxis(workArea.left, workArea.right, width), CentreOnAxis(workArea.top, workArea.bottom, height)};
}

bool IsPositionInRange(int32_t bytesDone, int32_t bytesTotal) { return bytesDone >= 0 && bytesDone <= bytesTotal; }

const wchar_t* StatusTextFor(int32_t bytesDone) {
  return bytesDone == 0 ? L"Connecting to server.." : L"Downloading Vardex installer..";
}

bool HasReportSwitch(const wchar_t* commandLine) {
  return commandLine != nullptr && std::wcsstr(commandLine, L"-ver") != nullptr;
}
