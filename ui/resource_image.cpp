#include "ui/resource_image.h"

#include <objbase.h>

#include <cstring>

using namespace Gdiplus::DllExports;

namespace {

// A movable copy of the resource's bytes, which the stream owns and frees with itself.
ComPtr<IStream> StreamOfResource(HINSTANCE module, WORD id) {
  ComPtr<IStream> stream;
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
  const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  const HGLOBAL loaded = size != 0 ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return stream;
  UniqueGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
  void* target = copy ? GlobalLock(copy.get()) : nullptr;
  if (target == nullptr) return stream;
  std::memcpy(target, bytes, size);
  GlobalUnlock(copy.get());
  if (SUCCEEDED(CreateStreamOnHGlobal(copy.get(), TRUE, stream.put()))) copy.release();
  return stream;
}

}  // namespace

UniqueGdipBitmap LoadImageResource(HINSTANCE module, WORD id) {
  UniqueGdipBitmap image;
  const ComPtr<IStream> stream = StreamOfResource(module, id);
  Gdiplus::GpBitmap* decoded = nullptr;
  // The image keeps its own reference to the stream for as long as it needs the bytes.
  if (stream && GdipCreateBitmapFromStream(stream.get(), &decoded) == Gdiplus::Ok) image.reset(decoded);
  return image;
}

SIZE ImageSize(Gdiplus::GpBitmap* image) {
  UINT width = 0;
  UINT height = 0;
  if (image == nullptr || GdipGetImageWidth(image, &width) != Gdiplus::Ok ||
      GdipGetImageHeight(image, &height) != Gdiplus::Ok)
    return {0, 0};
  return {static_cast<LONG>(width), static_cast<LONG>(height)};
}
