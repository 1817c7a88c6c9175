#include <winsock2.h>  // before <windows.h>, for libcurl

#include "net/http_transfer.h"

#include <wininet.h>

#include <cstring>
#include <memory>
#include <new>

#include "common/handles.h"
#include "net/curl_handles.h"
#include "net/transfer_math.h"

namespace {

constexpr char kAcceptHeader[] = "Accept: application/octet-stream, application/exe";
constexpr wchar_t kPingAgent[] = L"Orvane Software Group LT";
constexpr wchar_t kPingHeaders[] =
    L"Accept: application/octet-stream, application/exe\r\nUser-Agent: Orvane Software Group LT/1.0\r\n";
static_assert(sizeof kPingHeaders / sizeof(wchar_t) - 1 == 93, "the ping's extra headers");

// libcurl's default receive buffer of 16 KiB costs a platform round trip per 16 KiB, and it hands
// the data over in pieces of that size; under Wine each socket read and each WriteFile is slow, so
// the transfer reads into a larger buffer and gathers the pieces into large writes. Both sizes are
// fixed: memory use does not grow with the download.
constexpr long kReceiveBufferBytes = 1L << 20;
constexpr size_t kWriteBatchBytes = size_t(1) << 20;

// libcurl speaks plain HTTP only, also after a redirect: https ends with result 1 at once, the
// callers' signal to use a platform service instead. The two limits end a transfer that stalls.
void ConfineTransfer(CURL* handle) {
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http");
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectLimitSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallLimitSeconds);
}

// The output file of one transfer, written in batches. Everything received is in the file once
// Flush has run, on every path, before DownloadToFile returns. A failed or short write does not
// stop the transfer; the signature check rejects a damaged file.
class FileSink {
 public:
  explicit FileSink(HANDLE file) : file_(file), batch_(new (std::nothrow) char[kWriteBatchBytes]) {}
  ~FileSink() { Flush(); }
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  void Append(const char* data, size_t bytes) {
    if (batch_ == nullptr || bytes > kWriteBatchBytes) {
      Flush();
      Write(data, bytes);
      return;
    }
    if (used_ + bytes > kWriteBatchBytes) Flush();
    memcpy(batch_.get() + used_, data, bytes);
    used_ += bytes;
  }
  void Flush() {
    if (used_ != 0) Write(batch_.get(), used_);
    used_ = 0;
  }

 private:
  void Write(const char* data, size_t bytes) {
    DWORD written = 0;
    WriteFile(file_, data, DWORD(bytes), &written, nullptr);
  }

  HANDLE file_;
  std::unique_ptr<char[]> batch_;
  size_t used_ = 0;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* userData) {
  const size_t bytes = size * count;
  if (bytes != 0) static_cast<FileSink*>(userData)->Append(data, bytes);
  return bytes;
}

int OnTransferProgress(void* userData, curl_off_t totalBytes, curl_off_t receivedBytes, curl_off_t, curl_off_t) {
  auto* context = static_cast<TransferContext*>(userData);
  const double total = double(totalBytes), received = double(receivedBytes);
  if (context->cancelFlag != nullptr && context->cancelFlag->load() != 0) return 1;
  if (context->rateOut != nullptr) context->rateOut->store(MeanRateKBps(received, context->startTick, GetTickCount()));
  if (context->totalOut != nullptr) context->totalOut->store(ToCounter(total));
  if (context->doneOut != nullptr) context->doneOut->store(ToCounter(received));
  return 0;
}

size_t AppendToResponse(char* data, size_t size, size_t count, void* userData) {
  const size_t bytes = size * count;
  if (bytes != 0) static_cast<std::string*>(userData)->append(data, bytes);
  return bytes;
}

void SetDownloadOptions(CURL* handle, const std::string& url, curl_slist* headers, TransferContext* context,
                        FileSink* sink) {
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, sink);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnTransferProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, context);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  ConfineTransfer(handle);
}

}  // namespace

int DownloadToFile(const wchar_t* url, TransferContext* context) {
  const std::string utf8 = ToUtf8(url);
  if (utf8.empty()) return CURLE_URL_MALFORMAT;
  UniqueCurl handle(curl_easy_init());
  if (!handle) return CURLE_BAD_FUNCTION_ARGUMENT;
  context->handle = handle.get();
  UniqueCurlList headers;
  AppendHeader(headers, "Expect:");  // suppresses libcurl's own Expect header
  AppendHeader(headers, kAcceptHeader);
  FileSink sink(context->file);
  SetDownloadOptions(handle.get(), utf8, headers.get(), context, &sink);

  if (context->rateOut != nullptr) context->rateOut->store(0.0f);
  context->startTick = GetTickCount();
  const CURLcode result = curl_easy_perform(handle.get());
  sink.Flush();
  if (result == CURLE_OK) {
    long status = 0;
    curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    context->httpStatus = int32_t(status);
  }
  context->handle = nullptr;  // destroyed with `handle` on return
  return result;
}

HttpRequest::HttpRequest() : handle_(curl_easy_init()) {}

HttpRequest::~HttpRequest() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

int HttpRequest::Post(const wchar_t* url, const std::string& body) {
  response_.clear();
  if (handle_ == nullptr) return CURLE_BAD_FUNCTION_ARGUMENT;
  const std::string utf8 = ToUtf8(url);
  if (utf8.empty()) return CURLE_URL_MALFORMAT;
  UniqueCurlList headers;
  AppendHeader(headers, "Expect:");
  curl_easy_setopt(handle_, CURLOPT_URL, utf8.c_str());
  curl_easy_setopt(handle_, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, AppendToResponse);
  curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &response_);
  curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle_, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle_, CURLOPT_POST, 1L);
  // An empty body still names a buffer of its own, so that the handle never keeps pointing at an
  // earlier call's body, nor reads one from elsewhere.
  curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
  curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE, long(body.size()));
  ConfineTransfer(handle_);
  const CURLcode result = curl_easy_perform(handle_);
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, nullptr);  // the list goes now
  return result;
}

void PingUrl(const wchar_t* url) {
  UniqueInternet root(InternetOpenW(kPingAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!root) return;
  UniqueInternet request(InternetOpenUrlW(root.get(), url, kPingHeaders, DWORD(wcslen(kPingHeaders)),
                                          INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI, 0));
}
