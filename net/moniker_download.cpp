#include "net/moniker_download.h"

#include <new>

#include "net/transfer_math.h"

#ifdef VARDEX_TEST_SEAMS
std::atomic<int> CCallback::destroyedCount{0};
#endif

CCallback::CCallback(DWORD startTick, int32_t* httpStatusOut, DownloadStatus* owner)
    : startTick(startTick), httpStatusOut(httpStatusOut), owner(owner) {}

CCallback::~CCallback() {
  if (binding != nullptr) binding->Release();
#ifdef VARDEX_TEST_SEAMS
  ++destroyedCount;
#endif
}

STDMETHODIMP CCallback::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
    *object = static_cast<IBindStatusCallback*>(this);
  } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
    *object = static_cast<IHttpNegotiate*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CCallback::AddRef() { return ULONG(++refCount); }

STDMETHODIMP_(ULONG) CCallback::Release() {
  const LONG remaining = --refCount;
  if (remaining == 0) delete this;
  return ULONG(remaining);
}

STDMETHODIMP CCallback::OnStartBinding(DWORD, IBinding* newBinding) {
  if (binding != nullptr) binding->Release();
  binding = newBinding;
  if (binding != nullptr) binding->AddRef();
  return S_OK;
}

STDMETHODIMP CCallback::GetPriority(LONG*) { return E_NOTIMPL; }
STDMETHODIMP CCallback::OnLowResource(DWORD) { return E_NOTIMPL; }
STDMETHODIMP CCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
STDMETHODIMP CCallback::OnObjectAvailable(REFIID, IUnknown*) { return E_NOTIMPL; }

// Every notification with a size updates the counters, whatever phase it reports; those without
// one (connecting, redirecting) leave them as they were.
STDMETHODIMP CCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) {
  if (owner == nullptr) return S_OK;
  if (owner->cancelRequested.load() != 0) return E_ABORT;
  if (progressMax == 0) return S_OK;
  owner->bytesDone.store(ToCounter(progress));
  owner->bytesTotal.store(ToCounter(progressMax));
  owner->rateKBps.store(MeanRateKBps(progress, startTick, GetTickCount()));
  return S_OK;
}

STDMETHODIMP CCallback::OnStopBinding(HRESULT, LPCWSTR) {
  if (binding != nullptr) binding->Release();
  binding = nullptr;
  return S_OK;
}

STDMETHODIMP CCallback::GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) {
  if (bindFlags == nullptr || bindInfo == nullptr || bindInfo->cbSize == 0) return E_INVALIDARG;
  return E_NOTIMPL;
}

STDMETHODIMP CCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) {
  return additionalHeaders == nullptr ? E_POINTER : S_OK;
}

STDMETHODIMP CCallback::OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR, LPWSTR* additionalRequestHeaders) {
  if (additionalRequestHeaders == nullptr) return E_POINTER;
  if (httpStatusOut != nullptr) *httpStatusOut = int32_t(responseCode);
  return S_OK;
}

HRESULT DownloadWithMoniker(const wchar_t* url, const wchar_t* path, DownloadStatus* owner, int32_t* httpStatus) {
  CCallback* callback = new (std::nothrow) CCallback(GetTickCount(), httpStatus, owner);
  if (callback == nullptr) return URLDownloadToFileW(nullptr, url, path, 0, nullptr);
  // Held across the call, so that an early failure that never takes a reference cannot leak the
  // object; whichever Release comes last destroys it.
  callback->AddRef();
  const HRESULT result = URLDownloadToFileW(nullptr, url, path, 0, callback);
  callback->Release();
  return result;
}
