// HTTP over libcurl, plain HTTP only: installer downloads into a file with progress and cancel,
// small POST requests, and a WinINet ping for URLs that libcurl does not handle.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

typedef void CURL;  // as libcurl declares it

inline constexpr char kUserAgent[] = "ORVi.Vardex/4.0";

// A source that accepts the connection and then sends nothing must not hold the download for
// ever: a connection not made within the first limit, or no byte for the second, ends the transfer
// with libcurl's own timeout result (28), and the caller goes on with the next source.
inline constexpr long kConnectLimitSeconds = 30;
inline constexpr long kStallLimitSeconds = 60;

// One download attempt. The caller opens `file` and points the four pointers at its DownloadStatus
// before the call, and closes the file after it.
struct TransferContext {
  CURL* handle = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD startTick = 0;
  std::atomic<int32_t>* cancelFlag = nullptr;
  std::atomic<float>* rateOut = nullptr;
  std::atomic<int32_t>* totalOut = nullptr;
  std::atomic<int32_t>* doneOut = nullptr;
  int32_t httpStatus = 0;  // written only when the transfer succeeds
};

// Returns libcurl's result code: 0 success (whatever the HTTP status), 1 not plain HTTP, 3 empty
// URL, 42 cancelled, 43 no handle; any other code as libcurl gives it.
int DownloadToFile(const wchar_t* url, TransferContext* context);

// Sends POST requests on one libcurl handle and keeps the body of the last response.
class HttpRequest {
 public:
  HttpRequest();
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Returns libcurl's result code; 43 without a handle, 3 for an empty URL.
  int Post(const wchar_t* url, const std::string& body);
  const std::string& response() const { return response_; }

 private:
  CURL* handle_ = nullptr;
  std::string response_;
};

// Opens the URL through WinINet and closes it again without reading; swallows every failure.
void PingUrl(const wchar_t* url);
