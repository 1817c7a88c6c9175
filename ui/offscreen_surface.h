// A bitmap held in a memory device context from one paint to the next, so that a paint need not
// make GDI objects of its own. It is made again when a paint asks for another size or draws into
// a target of another kind, since what GDI and GDI+ draw depends on the kind of bitmap.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/handles.h"

class OffscreenSurface {
 public:
  // Holds a bitmap of width x height compatible with `target` (made as CreateCompatibleBitmap
  // makes it). False when none could be made; then the surface is empty. `*madeAnew` (if given)
  // tells whether the bitmap was just made, black, so that its content must be drawn again.
  bool Fit(HDC target, int width, int height, bool* madeAnew = nullptr);
  // Holds a 32-bit top-down DIB section of width x height whose pixels the caller may write.
  bool FitPixels(int width, int height);
  uint32_t* pixels() const { return pixels_; }  // none unless FitPixels made the bitmap
  // The memory context that holds the bitmap; whatever is selected into it stays until the
  // surface is made again or goes.
  HDC dc() const { return dc_.get(); }
  void Reset();

 private:
  // What decides the bitmap that CreateCompatibleBitmap makes for a target.
  struct Kind {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool dibSection = false;
    bool operator==(const Kind& o) const {
      return width == o.width && height == o.height && bitsPerPixel == o.bitsPerPixel && dibSection == o.dibSection;
    }
  };
  static Kind KindOf(HDC target, int width, int height);
  bool Hold(UniqueGdiObject bitmap, UniqueMemoryDc dc, const Kind& kind);

  Kind kind_;
  uint32_t* pixels_ = nullptr;
  UniqueGdiObject bitmap_;
  UniqueMemoryDc dc_;  // goes first: deleting it lets go of the bitmap
};
