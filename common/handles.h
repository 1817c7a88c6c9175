// One move-only owner per kind of platform handle, so that every handle the program opens is closed
// on every path. Each kind is a one-line alias of UniqueResource.
#pragma once

#include <windows.h>
#include <gdiplus.h>
#include <tlhelp32.h>
#include <unknwn.h>
#include <wincrypt.h>
#include <wininet.h>

#include <utility>

// Traits give the handle type, its "none" value and how to close it.
template <typename Traits>
class UniqueResource {
 public:
  using T = typename Traits::Type;
  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  T get() const { return value_; }
  bool valid() const { return value_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  // For out-parameters: closes what is held and hands out the slot.
  T* put() {
    reset();
    return &value_;
  }
  T release() { return std::exchange(value_, Traits::Invalid()); }
  // Closes the old value; keeps GetLastError as it was, so callers can still read it.
  void reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) {
      const DWORD lastError = GetLastError();
      Traits::Close(value_);
      SetLastError(lastError);
    }
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

#define VARDEX_HANDLE_TRAITS(Name, HandleType, none, close)  \
  struct Name {                                            \
    using Type = HandleType;                               \
    static Type Invalid() { return none; }                 \
    static void Close(Type value) { close(value); }        \
  }

inline void CloseCertificateStore(HCERTSTORE store) { CertCloseStore(store, 0); }

namespace handle_traits {
VARDEX_HANDLE_TRAITS(Handle, HANDLE, nullptr, CloseHandle);
VARDEX_HANDLE_TRAITS(FileHandle, HANDLE, INVALID_HANDLE_VALUE, CloseHandle);
VARDEX_HANDLE_TRAITS(RegKey, HKEY, nullptr, RegCloseKey);
VARDEX_HANDLE_TRAITS(Service, SC_HANDLE, nullptr, CloseServiceHandle);
VARDEX_HANDLE_TRAITS(Find, HANDLE, INVALID_HANDLE_VALUE, FindClose);
VARDEX_HANDLE_TRAITS(VolumeFind, HANDLE, INVALID_HANDLE_VALUE, FindVolumeClose);
VARDEX_HANDLE_TRAITS(Library, HMODULE, nullptr, FreeLibrary);
VARDEX_HANDLE_TRAITS(GdiObject, HGDIOBJ, nullptr, DeleteObject);
VARDEX_HANDLE_TRAITS(MemoryDc, HDC, nullptr, DeleteDC);
VARDEX_HANDLE_TRAITS(LocalMemory, HLOCAL, nullptr, LocalFree);
VARDEX_HANDLE_TRAITS(GlobalMemory, HGLOBAL, nullptr, GlobalFree);
VARDEX_HANDLE_TRAITS(Internet, HINTERNET, nullptr, InternetCloseHandle);
VARDEX_HANDLE_TRAITS(CertificateStore, HCERTSTORE, nullptr, CloseCertificateStore);
VARDEX_HANDLE_TRAITS(CertificateContext, PCCERT_CONTEXT, nullptr, CertFreeCertificateContext);
VARDEX_HANDLE_TRAITS(GdipBitmap, Gdiplus::GpBitmap*, nullptr, Gdiplus::DllExports::GdipDisposeImage);
VARDEX_HANDLE_TRAITS(GdipGraphics, Gdiplus::GpGraphics*, nullptr, Gdiplus::DllExports::GdipDeleteGraphics);
}  // namespace handle_traits
#undef VARDEX_HANDLE_TRAITS

// Process, thread, mutex and token handles: NULL means none.
using UniqueHandle = UniqueResource<handle_traits::Handle>;
// CreateFileW and CreateToolhelp32Snapshot report failure as INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueResource<handle_traits::FileHandle>;
using UniqueKey = UniqueResource<handle_traits::RegKey>;
using UniqueService = UniqueResource<handle_traits::Service>;
using UniqueFind = UniqueResource<handle_traits::Find>;
using UniqueVolumeFind = UniqueResource<handle_traits::VolumeFind>;
using UniqueLibrary = UniqueResource<handle_traits::Library>;
using UniqueGdiObject = UniqueResource<handle_traits::GdiObject>;
using UniqueMemoryDc = UniqueResource<handle_traits::MemoryDc>;
using UniqueLocal = UniqueResource<handle_traits::LocalMemory>;
using UniqueGlobal = UniqueResource<handle_traits::GlobalMemory>;
using UniqueInternet = UniqueResource<handle_traits::Internet>;  // WinINet root, connection and request handles
using UniqueCertificateStore = UniqueResource<handle_traits::CertificateStore>;
using UniqueCertificate = UniqueResource<handle_traits::CertificateContext>;
// GDI+ images and drawing surfaces of the flat interface.
using UniqueGdipBitmap = UniqueResource<handle_traits::GdipBitmap>;
using UniqueGdipGraphics = UniqueResource<handle_traits::GdipGraphics>;

// A COM reference: released once, when the owner goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}  // adopts a reference the caller already holds
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.p_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  void reset(T* p = nullptr) {
    if (p_ != nullptr) p_->Release();
    p_ = p;
  }

 private:
  T* p_ = nullptr;
};

// Runs a clean-up when the scope ends, unless release() was called.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (active_) f_();
  }
  void release() { active_ = false; }

 private:
  F f_;
  bool active_ = true;
};

// Selects a GDI object into a device context and puts the old one back when the scope ends, so
// that the object can be deleted afterwards.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelectObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};
