// DownloadToFile, HttpRequest::Post and PingUrl under Wine against the local mirror server.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "common/handles.h"
#include "download/download_status.h"
#include "net/http_transfer.h"
#include "support/mirror_control.h"
#include "support/win_test_support.h"

namespace {

std::wstring HttpUrl(int host, const std::string& path) {
  return L"http://127.0.0.1:" + std::to_wstring(MirrorPort(host)) + std::wstring(path.begin(), path.end());
}

// One download into a file of the scratch folder, reporting into a DownloadStatus of its own.
struct Transfer {
  DownloadStatus status;
  TransferContext context;
  std::wstring path;

  explicit Transfer(const TempFolder& folder, const wchar_t* name = L"download.bin") : path(folder / name) {
    context.cancelFlag = &status.cancelRequested;
    context.rateOut = &status.rateKBps;
    context.totalOut = &status.bytesTotal;
    context.doneOut = &status.bytesDone;
  }
  int Run(const std::wstring& url, bool openFile = true) {
    UniqueFileHandle file;
    if (openFile)
      file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    context.file = file.get();
    const int result = DownloadToFile(url.c_str(), &context);
    context.file = INVALID_HANDLE_VALUE;
    return result;
  }
  std::vector<uint8_t> Bytes() const { return ReadFileBytes(path); }
};

// Waits until `condition` holds (or about 30 s pass); false when it never did.
bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 3000; ++i) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

class HttpTransferTest : public ::testing::Test {
 protected:
  void SetUp() override { MirrorReset(); }
  TempFolder folder;
};

TEST_F(HttpTransferTest, DownloadsTheBodyIntoTheFileWithTheProgramsRequestHeaders) {
  MirrorRoute route;
  route.port = MirrorPort(kDownloadHost);
  route.path = "/vardexS4.exe";
  route.size = 3000000;
  MirrorSetRoute(route);
  Transfer transfer(folder);
  transfer.context.httpStatus = 0;
  ASSERT_EQ(transfer.Run(HttpUrl(kDownloadHost, "/vardexS4.exe?sid=salesvane&hwx=0123")), 0);
  EXPECT_EQ(transfer.context.httpStatus, 200);
  EXPECT_EQ(transfer.context.handle, nullptr) << "the handle is destroyed inside the call";
  const std::vector<uint8_t> bytes = transfer.Bytes();
  EXPECT_EQ(bytes.size(), 3000000u);
  EXPECT_EQ(FirstMismatchWithGeneratedBody(bytes), -1);
  EXPECT_EQ(transfer.status.bytesDone.load(), 3000000);
  EXPECT_EQ(transfer.status.bytesTotal.load(), 3000000);
  EXPECT_GT(transfer.status.rateKBps.load(), 0.0f);

  const std::vector<MirrorRequest> requests = MirrorRequests(MirrorPort(kDownloadHost));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].path, "/vardexS4.exe?sid=salesvane&hwx=0123");
  EXPECT_EQ(requests[0].Header("User-Agent"), "ORVi.Vardex/4.0");
  EXPECT_EQ(requests[0].Header("Accept"), "application/octet-stream, application/exe");
  EXPECT_FALSE(requests[0].HasHeader("Expect"));
}

// What the transfer returns and leaves in the context for each kind of answer.
struct OutcomeCase {
  const char* name;
  std::function<void()> arrange;  // routes of the mirror server
  std::wstring url;
  bool openFile;
  int result;
  int httpStatus;           // the context's status afterwards; it starts as -7
  size_t requests;          // requests that reached the server, on every host
  int64_t fileSize;         // -1: not looked at
};

MirrorRoute Route(int host, const char* path) {
  MirrorRoute route;
  route.port = MirrorPort(host);
  route.path = path;
  return route;
}

TEST_F(HttpTransferTest, EndsEachKindOfAnswerWithItsResultAndTouchesTheStatusOnlyOnSuccess) {
  const std::wstring https = L"https://localhost:" + std::to_wstring(MirrorPort(kSiteHost)) + L"/a.exe";
  const std::string httpsText(https.begin(), https.end());
  const OutcomeCase cases[] = {
      {"empty URL", [] {}, L"", true, 3, -7, 0, 0},
      {"https", [] { MirrorSetRoute(Route(kSiteHost, "/a.exe")); }, https, true, 1, -7, 0, 0},
      {"404 with a body", [] {
         MirrorRoute r = Route(kDownloadHost, "/missing.exe");
         r.status = 404;
         r.body = "no such file";
         MirrorSetRoute(r);
       }, HttpUrl(kDownloadHost, "/missing.exe"), true, 0, 404, 1, 12},
      {"five redirects", [] {
         MirrorRoute r = Route(kMirror1Host, "/five.exe");
         r.redirects = 5;
         r.size = 5000;
         MirrorSetRoute(r);
       }, HttpUrl(kMirror1Host, "/five.exe"), true, 0, 200, 6, 5000},
      {"six redirects", [] {
         MirrorRoute r = Route(kMirror1Host, "/six.exe");
         r.redirects = 6;
         r.size = 5000;
         MirrorSetRoute(r);
       }, HttpUrl(kMirror1Host, "/six.exe"), true, 47, -7, 6, 0},
      {"redirect to https", [httpsText] {
         MirrorRoute r = Route(kMirror2Host, "/to-https.exe");
         r.status = 302;
         r.headers = {"Location: " + httpsText};
         MirrorSetRoute(r);
       }, HttpUrl(kMirror2Host, "/to-https.exe"), true, 1, -7, 1, 0},
      {"closed port", [] {}, HttpUrl(kClosedPort, "/a.exe"), true, 7, -7, 0, -1},
      {"no file to write", [] {
         MirrorRoute r = Route(kDownloadHost, "/nofile.exe");
         r.size = 100000;
         MirrorSetRoute(r);
       }, HttpUrl(kDownloadHost, "/nofile.exe"), false, 0, 200, 1, -1},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    MirrorReset();
    c.arrange();
    Transfer transfer(folder);
    transfer.context.httpStatus = -7;
    const DWORD started = GetTickCount();
    EXPECT_EQ(transfer.Run(c.url, c.openFile), c.result);
    const DWORD took = GetTickCount() - started;
    EXPECT_EQ(transfer.context.httpStatus, c.httpStatus);
    EXPECT_EQ(transfer.context.handle, nullptr);
    EXPECT_EQ(MirrorRequests().size(), c.requests);
    if (c.fileSize >= 0) {
      EXPECT_EQ(int64_t(transfer.Bytes().size()), c.fileSize);
    }
    printf("  %s: result %d in %lu ms\n", c.name, c.result, static_cast<unsigned long>(took));
  }
}

TEST_F(HttpTransferTest, AnswerWithoutContentLengthDrivesTheTotalToZero) {
  MirrorRoute route = Route(kMirror2Host, "/unsized.exe");
  route.size = 400000;
  route.length = false;
  MirrorSetRoute(route);
  Transfer transfer(folder);
  transfer.status.bytesTotal = 15000000;
  ASSERT_EQ(transfer.Run(HttpUrl(kMirror2Host, "/unsized.exe")), 0);
  EXPECT_EQ(transfer.context.httpStatus, 200);
  EXPECT_EQ(transfer.status.bytesTotal.load(), 0);
  EXPECT_EQ(transfer.status.bytesDone.load(), 400000);
  EXPECT_EQ(FirstMismatchWithGeneratedBody(transfer.Bytes()), -1);
  EXPECT_EQ(transfer.Bytes().size(), 400000u);
}

// Cancels once `ready` holds and `settleMs` more have passed; returns the transfer's result.
int CancelDuring(Transfer& transfer, const std::wstring& url, const std::function<bool()>& ready, DWORD settleMs,
                 DWORD* tookMs) {
  int result = -1;
  std::thread worker([&] { result = transfer.Run(url); });
  const bool arrived = WaitFor(ready);
  Sleep(settleMs);
  const DWORD cancelled = GetTickCount();
  transfer.status.cancelRequested = 1;
  worker.join();
  *tookMs = GetTickCount() - cancelled;
  EXPECT_TRUE(arrived) << "the transfer did not get going before the cancel";
  return result;
}

TEST_F(HttpTransferTest, CancelEndsARunningTransferWith42AndLeavesThePartialFile) {
  MirrorRoute route = Route(kDownloadHost, "/slow.exe");
  route.size = 20000000;
  route.rate = 400000;
  MirrorSetRoute(route);
  Transfer transfer(folder);
  transfer.context.httpStatus = -7;
  DWORD took = 0;
  const auto someData = [&] { return transfer.status.bytesDone.load() >= 100000; };
  EXPECT_EQ(CancelDuring(transfer, HttpUrl(kDownloadHost, "/slow.exe"), someData, 200, &took), 42);
  EXPECT_EQ(transfer.context.httpStatus, -7);
  const std::vector<uint8_t> partial = transfer.Bytes();
  EXPECT_GE(partial.size(), 100000u);
  EXPECT_GE(int64_t(partial.size()), int64_t(transfer.status.bytesDone.load())) << "all that arrived is in the file";
  EXPECT_LT(partial.size(), 20000000u);
  EXPECT_EQ(FirstMismatchWithGeneratedBody(partial), -1);
  printf("  ended %lu ms after the cancel with %zu bytes\n", static_cast<unsigned long>(took), partial.size());
}

TEST_F(HttpTransferTest, CancelEndsATransferThatHasStalled) {
  // No data arrive, so only libcurl's own calls of the callback, about one a second, can notice.
  MirrorRoute stalled = Route(kMirror1Host, "/stuck.exe");
  stalled.size = 5000000;
  stalled.stallAfter = 100000;
  MirrorSetRoute(stalled);
  MirrorRoute silent = Route(kMirror2Host, "/mute.exe");
  silent.silent = true;
  MirrorSetRoute(silent);
  {
    Transfer transfer(folder, L"stuck.bin");
    DWORD took = 0;
    const auto stalledNow = [&] { return transfer.status.bytesDone.load() >= 100000; };
    EXPECT_EQ(CancelDuring(transfer, HttpUrl(kMirror1Host, "/stuck.exe"), stalledNow, 3000, &took), 42);
    EXPECT_EQ(transfer.Bytes().size(), 100000u);
    printf("  stalled after data: ended %lu ms after the cancel\n", static_cast<unsigned long>(took));
  }
  {
    Transfer transfer(folder, L"mute.bin");
    DWORD took = 0;
    const auto asked = [&] { return MirrorRequests(MirrorPort(kMirror2Host)).size() == 1; };
    EXPECT_EQ(CancelDuring(transfer, HttpUrl(kMirror2Host, "/mute.exe"), asked, 3000, &took), 42);
    EXPECT_EQ(transfer.Bytes().size(), 0u);
    printf("  silent before any header: ended %lu ms after the cancel\n", static_cast<unsigned long>(took));
  }
}

TEST_F(HttpTransferTest, StalledAndSilentSourcesEndByThemselvesWithTheTimeoutResult) {
  MirrorRoute stalled = Route(kMirror1Host, "/stalled.exe");
  stalled.size = 5000000;
  stalled.stallAfter = 200000;
  MirrorSetRoute(stalled);
  MirrorRoute silent = Route(kMirror2Host, "/silent.exe");
  silent.silent = true;
  MirrorSetRoute(silent);

  Transfer afterData(folder, L"stalled.bin"), beforeHeaders(folder, L"silent.bin");
  afterData.context.httpStatus = beforeHeaders.context.httpStatus = -7;
  int stalledResult = -1, silentResult = -1;
  DWORD stalledMs = 0, silentMs = 0;
  std::thread first([&] {
    const DWORD t = GetTickCount();
    stalledResult = afterData.Run(HttpUrl(kMirror1Host, "/stalled.exe"));
    stalledMs = GetTickCount() - t;
  });
  // The second starts once the first is under way: libcurl's one-time set-up is not for two threads.
  EXPECT_TRUE(WaitFor([] { return MirrorRequests(MirrorPort(kMirror1Host)).size() == 1; }));
  std::thread second([&] {
    const DWORD t = GetTickCount();
    silentResult = beforeHeaders.Run(HttpUrl(kMirror2Host, "/silent.exe"));
    silentMs = GetTickCount() - t;
  });
  first.join();
  second.join();
  EXPECT_EQ(stalledResult, 28);  // CURLE_OPERATION_TIMEDOUT
  EXPECT_EQ(silentResult, 28);
  EXPECT_EQ(afterData.context.httpStatus, -7);
  EXPECT_EQ(afterData.Bytes().size(), 200000u);
  EXPECT_EQ(beforeHeaders.Bytes().size(), 0u);
  printf("  stalled after data: %lu ms; silent: %lu ms (stall limit %ld s)\n",
         static_cast<unsigned long>(stalledMs), static_cast<unsigned long>(silentMs), kStallLimitSeconds);
}

TEST_F(HttpTransferTest, PostSendsAnEmptyBodiedPostAndKeepsTheResponse) {
  MirrorRoute page = Route(kSiteHost, "/thanks.php");
  page.body = "thank you";
  MirrorSetRoute(page);
  HttpRequest request;
  ASSERT_EQ(request.Post(HttpUrl(kSiteHost, "/thanks.php?sid=salesvane&hwx=ab").c_str(), std::string()), 0);
  EXPECT_EQ(request.response(), "thank you");
  ASSERT_EQ(request.Post(HttpUrl(kSiteHost, "/thanks.php").c_str(), "a=1&b=2"), 0);
  EXPECT_EQ(request.Post(HttpUrl(kSiteHost, "/elsewhere").c_str(), std::string()), 0) << "a 404 is no failure";
  EXPECT_EQ(request.response(), "not found\n");

  const std::vector<MirrorRequest> seen = MirrorRequests(MirrorPort(kSiteHost));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].path, "/thanks.php?sid=salesvane&hwx=ab");
  EXPECT_EQ(seen[0].Header("Content-Length"), "0");
  EXPECT_EQ(seen[0].Header("User-Agent"), "ORVi.Vardex/4.0");
  EXPECT_FALSE(seen[0].HasHeader("Expect"));
  EXPECT_EQ(seen[0].body, "");
  EXPECT_FALSE(seen[0].tls);
  EXPECT_EQ(seen[1].body, "a=1&b=2");
  EXPECT_EQ(seen[1].Header("Content-Length"), "7");
  EXPECT_EQ(seen[2].body, "") << "the earlier body is not sent again";

  const std::wstring https = L"https://localhost:" + std::to_wstring(MirrorPort(kSiteHost)) + L"/thanks.php";
  EXPECT_EQ(request.Post(https.c_str(), std::string()), 1);
  EXPECT_EQ(request.Post(L"", std::string()), 3);
  EXPECT_EQ(request.Post(nullptr, std::string()), 3);
  EXPECT_EQ(MirrorRequests().size(), 3u) << "no traffic for https or an empty URL";
}

TEST_F(HttpTransferTest, PingUrlOpensTheUrlThroughWinInetAndReturnsWhenNothingListens) {
  MirrorRoute page = Route(kSiteHost, "/ping.php");
  page.body = "pong";
  MirrorSetRoute(page);
  PingUrl(HttpUrl(kSiteHost, "/ping.php?sid=salesvane").c_str());
  PingUrl((L"https://localhost:" + std::to_wstring(MirrorPort(kSiteHost)) + L"/ping.php?sid=tls").c_str());
  PingUrl(HttpUrl(kClosedPort, "/ping.php").c_str());
  PingUrl(L"");

  const std::vector<MirrorRequest> seen = MirrorRequests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].path, "/ping.php?sid=salesvane");
  EXPECT_FALSE(seen[0].tls);
  // Wine's WinINet sends an "Accept: */*" of its own before the one given.
  const std::vector<std::string> accept = seen[0].HeaderValues("Accept");
  EXPECT_NE(std::find(accept.begin(), accept.end(), "application/octet-stream, application/exe"), accept.end());
  EXPECT_EQ(seen[0].Header("User-Agent"), "Orvane Software Group LT/1.0");
  EXPECT_TRUE(seen[1].tls);
  EXPECT_EQ(seen[1].path, "/ping.php?sid=tls");
}

}  // namespace
