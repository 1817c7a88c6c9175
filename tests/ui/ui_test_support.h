// Helpers of the window tests: GDI+ and the module started once per test program, a pixel canvas
// that can be drawn into and saved as PNG, message pumping with a deadline, and a guard that ends
// a hung test program with a message instead of letting it hang.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "common/handles.h"

// A bitmap selected into a memory DC: a 32-bit top-down DIB, or (device) a bitmap compatible
// with the screen, as windows paint into.
class Canvas {
 public:
  Canvas(int width, int height, bool device = false);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // The colour at (x, y) as a COLORREF (RGB macro order).
  COLORREF Pixel(int x, int y) const;
  bool SavePng(const std::wstring& path) const;

 private:
  int width_;
  int height_;
  UniqueMemoryDc dc_;
  UniqueGdiObject bitmap_;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;  // none for a device bitmap
};

// Every pixel of `a` and `b` (of one size) that differs, as "x,y" in a short list; empty when
// they are alike.
std::string DifferingPixels(const Canvas& a, const Canvas& b);

// Copies what the window shows on screen (its client area) into a canvas.
void CaptureClient(HWND window, Canvas& canvas);

// Dispatches this thread's messages until `done` holds or `timeoutMs` passes; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);
// Dispatches this thread's messages for about `ms` milliseconds.
void PumpFor(DWORD ms);

// Where screenshots go: <build>/shots.
std::wstring ShotPath(const std::wstring& name);

// Ends the test program with a message when the guarded scope takes longer than `limitMs`:
// a hang then fails the test at once instead of at the test timeout.
class HangGuard {
 public:
  HangGuard(const char* what, DWORD limitMs);
  ~HangGuard();
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  static DWORD WINAPI Watch(LPVOID self);
  const char* what_;
  DWORD limitMs_;
  UniqueHandle done_;
  UniqueHandle thread_;
};

inline int Red(COLORREF c) { return GetRValue(c); }
inline int Green(COLORREF c) { return GetGValue(c); }
inline int Blue(COLORREF c) { return GetBValue(c); }
