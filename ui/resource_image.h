// Images that the program carries as raw-data resources, decoded by GDI+.
#pragma once

#include <windows.h>

#include "common/handles.h"

// Decodes raw-data resource `id` of `module` (a PNG); empty when it is missing, empty or undecodable.
// GDI+ must be running.
UniqueGdipBitmap LoadImageResource(HINSTANCE module, WORD id);

// Width and height of an image; 0 and 0 for none.
SIZE ImageSize(Gdiplus::GpBitmap* image);
