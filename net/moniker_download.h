// Downloads through the platform's URL monikers, for the URLs that libcurl does not handle
// (https): progress and cancel through the same DownloadStatus, and the response's HTTP status.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <cstdint>

#include "download/download_status.h"

// The status callback handed to URLDownloadToFileW. It is created with a reference count of 0
// and destroys itself on the Release that brings the count back to 0.
class CCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  CCallback(DWORD startTick, int32_t* httpStatusOut, DownloadStatus* owner);
  CCallback(const CCallback&) = delete;
  CCallback& operator=(const CCallback&) = delete;

  // IUnknown, shared by both interfaces.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IBindStatusCallback
  STDMETHODIMP OnStartBinding(DWORD reserved, IBinding* binding) override;
  STDMETHODIMP GetPriority(LONG* priority) override;
  STDMETHODIMP OnLowResource(DWORD reserved) override;
  STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) override;
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR error) override;
  STDMETHODIMP GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
  STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP OnObjectAvailable(REFIID iid, IUnknown* object) override;

  // IHttpNegotiate
  STDMETHODIMP BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved, LPWSTR* additionalHeaders) override;
  STDMETHODIMP OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                          LPWSTR* additionalRequestHeaders) override;

#ifdef VARDEX_TEST_SEAMS
  // Test builds count destructions, so tests can tell that each object goes exactly once.
  static std::atomic<int> destroyedCount;
#endif

 private:
  ~CCallback();

  IBinding* binding = nullptr;  // held, with a reference, between OnStartBinding and OnStopBinding
  DWORD startTick;
  int32_t* httpStatusOut;
  std::atomic<LONG> refCount{0};
  DownloadStatus* owner;
};

// Downloads `url` into `path` with URLDownloadToFileW and a CCallback; stores the response's status
// code in *httpStatus when the server answers. Returns the call's HRESULT (S_OK is success).
HRESULT DownloadWithMoniker(const wchar_t* url, const wchar_t* path, DownloadStatus* owner, int32_t* httpStatus);
