// CCallback as a COM object, and the moniker fallback under Wine against the local https server.
#include <windows.h>

#include <thread>

#include "common/handles.h"
#include "net/http_transfer.h"
#include "net/moniker_download.h"
#include "support/mirror_control.h"
#include "support/win_test_support.h"

namespace {

std::wstring HttpsUrl(const std::string& path) {
  return L"https://localhost:" + std::to_wstring(MirrorPort(kSiteHost)) + std::wstring(path.begin(), path.end());
}

MirrorRoute SiteRoute(const char* path) {
  MirrorRoute route;
  route.port = MirrorPort(kSiteHost);
  route.path = path;
  return route;
}

TEST(CCallbackObject, AnswersBothInterfacesAndDestroysItselfOnceOnTheLastRelease) {
  DownloadStatus status;
  int32_t httpStatus = 0;
  const int destroyedBefore = CCallback::destroyedCount;
  CCallback* object = new CCallback(GetTickCount(), &httpStatus, &status);

  IBindStatusCallback* primary = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IBindStatusCallback, reinterpret_cast<void**>(&primary)), S_OK);
  EXPECT_EQ(primary, static_cast<IBindStatusCallback*>(object));
  IUnknown* unknown = nullptr;
  ASSERT_EQ(primary->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(primary)) << "one identity for IUnknown";
  IHttpNegotiate* negotiate = nullptr;
  ASSERT_EQ(primary->QueryInterface(IID_IHttpNegotiate, reinterpret_cast<void**>(&negotiate)), S_OK);
  EXPECT_NE(static_cast<void*>(negotiate), static_cast<void*>(primary));
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(primary->QueryInterface(IID_IStream, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(primary->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

  // Three references, from whichever interface: the count is shared.
  EXPECT_EQ(negotiate->AddRef(), 4u);
  EXPECT_EQ(negotiate->Release(), 3u);
  EXPECT_EQ(negotiate->Release(), 2u);
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(CCallback::destroyedCount, destroyedBefore);
  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(CCallback::destroyedCount, destroyedBefore + 1);
}

TEST(CCallbackObject, FeedsTheStatusRecordAndCapturesTheResponseCode) {
  DownloadStatus status;
  status.bytesDone = 11;
  status.bytesTotal = 15000000;
  int32_t httpStatus = -7;
  CCallback* object = new CCallback(GetTickCount(), &httpStatus, &status);
  object->AddRef();

  EXPECT_EQ(object->OnProgress(0, 0, BINDSTATUS_CONNECTING, L"localhost"), S_OK);
  EXPECT_EQ(status.bytesDone.load(), 11) << "a notification without a size leaves the counters";
  EXPECT_EQ(status.bytesTotal.load(), 15000000);
  EXPECT_EQ(object->OnProgress(4096, 8192, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
  EXPECT_EQ(status.bytesDone.load(), 4096);
  EXPECT_EQ(status.bytesTotal.load(), 8192);
  EXPECT_GT(status.rateKBps.load(), 0.0f);

  LPWSTR extra = nullptr;
  EXPECT_EQ(object->OnResponse(404, L"HTTP/1.1 404 Not Found\r\n", nullptr, nullptr), E_POINTER);
  EXPECT_EQ(httpStatus, -7);
  EXPECT_EQ(object->OnResponse(404, L"HTTP/1.1 404 Not Found\r\n", nullptr, &extra), S_OK);
  EXPECT_EQ(httpStatus, 404);
  EXPECT_EQ(extra, nullptr);
  EXPECT_EQ(object->BeginningTransaction(L"https://localhost/", L"", 0, nullptr), E_POINTER);
  EXPECT_EQ(object->BeginningTransaction(L"https://localhost/", L"", 0, &extra), S_OK);
  EXPECT_EQ(extra, nullptr) << "no request header of its own";

  DWORD flags = 0;
  BINDINFO info = {};
  EXPECT_EQ(object->GetBindInfo(&flags, &info), E_INVALIDARG) << "a record of size 0";
  info.cbSize = sizeof info;
  EXPECT_EQ(object->GetBindInfo(nullptr, &info), E_INVALIDARG);
  EXPECT_EQ(object->GetBindInfo(&flags, &info), E_NOTIMPL);
  LONG priority = 0;
  EXPECT_EQ(object->GetPriority(&priority), E_NOTIMPL);
  EXPECT_EQ(object->OnLowResource(0), E_NOTIMPL);
  EXPECT_EQ(object->OnDataAvailable(0, 0, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(object->OnObjectAvailable(IID_IUnknown, nullptr), E_NOTIMPL);

  status.cancelRequested = 1;
  EXPECT_EQ(object->OnProgress(0, 0, BINDSTATUS_CONNECTING, nullptr), E_ABORT);
  EXPECT_EQ(object->OnProgress(8192, 8192, BINDSTATUS_DOWNLOADINGDATA, nullptr), E_ABORT);
  EXPECT_EQ(status.bytesDone.load(), 4096);
  object->Release();
}

class MonikerDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MirrorReset();
    destroyedBefore = CCallback::destroyedCount;
  }
  int DestroyedSinceStart() const { return CCallback::destroyedCount - destroyedBefore; }
  TempFolder folder;
  DownloadStatus status;
  int destroyedBefore = 0;
};

TEST_F(MonikerDownloadTest, DownloadsAnHttpsFileAndCapturesItsStatus) {
  MirrorRoute route = SiteRoute("/vardexS4.exe");
  route.size = 1500000;
  MirrorSetRoute(route);
  const std::wstring path = folder / L"VXSetup.exe";
  ASSERT_TRUE(WriteFileText(path, "left by the libcurl attempt"));
  status.bytesTotal = 15000000;
  int32_t httpStatus = 0;
  EXPECT_HR_OK(DownloadWithMoniker(HttpsUrl("/vardexS4.exe?sid=salesvane&hwx=01").c_str(), path.c_str(), &status,
                                   &httpStatus));
  EXPECT_EQ(httpStatus, 200);
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes.size(), 1500000u);
  EXPECT_EQ(FirstMismatchWithGeneratedBody(bytes), -1);
  EXPECT_EQ(status.bytesDone.load(), 1500000);
  EXPECT_EQ(status.bytesTotal.load(), 1500000);
  EXPECT_GT(status.rateKBps.load(), 0.0f);
  EXPECT_EQ(DestroyedSinceStart(), 1);

  const std::vector<MirrorRequest> seen = MirrorRequests(MirrorPort(kSiteHost));
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen[0].tls);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].path, "/vardexS4.exe?sid=salesvane&hwx=01");
  printf("  the moniker sent User-Agent: %s\n", seen[0].Header("User-Agent").c_str());
}

TEST_F(MonikerDownloadTest, TheSitesPortAnswersHttpAndHttpsOfOnePathApart) {
  // As for the main site's two sources: plain http goes to libcurl, https to the moniker.
  MirrorRoute secure = SiteRoute("/download_scanner/salesvane/vardexS4.exe");
  secure.scheme = "https";
  secure.size = 70000;
  MirrorSetRoute(secure);
  MirrorRoute plain = SiteRoute("/download_scanner/salesvane/vardexS4.exe");
  plain.scheme = "http";
  plain.status = 503;
  MirrorSetRoute(plain);
  const std::string path = "/download_scanner/salesvane/vardexS4.exe";

  TransferContext context;
  UniqueFileHandle file(CreateFileW((folder / L"plain.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  context.file = file.get();
  const std::wstring http = L"http://localhost:" + std::to_wstring(MirrorPort(kSiteHost)) +
                            std::wstring(path.begin(), path.end());
  EXPECT_EQ(DownloadToFile(http.c_str(), &context), 0);
  EXPECT_EQ(context.httpStatus, 503);
  file.reset();

  int32_t httpStatus = 0;
  EXPECT_HR_OK(DownloadWithMoniker(HttpsUrl(path).c_str(), (folder / L"secure.exe").c_str(), &status, &httpStatus));
  EXPECT_EQ(httpStatus, 200);
  EXPECT_EQ(ReadFileBytes(folder / L"secure.exe").size(), 70000u);
  EXPECT_EQ(DestroyedSinceStart(), 1);
}

TEST_F(MonikerDownloadTest, A404IsASuccessfulCallThatLeaves404InTheStatus) {
  const std::wstring path = folder / L"VXSetup.exe";
  int32_t httpStatus = 0;
  const HRESULT result = DownloadWithMoniker(HttpsUrl("/no-such-installer.exe").c_str(), path.c_str(), &status,
                                             &httpStatus);
  printf("  URLDownloadToFileW answered %s for a 404\n", FormatHresult(result).c_str());
  EXPECT_EQ(httpStatus, 404);
  EXPECT_EQ(DestroyedSinceStart(), 1);
}

TEST_F(MonikerDownloadTest, NoAnswerFailsAndLeavesTheStatusAsItWas) {
  const std::wstring url = L"https://localhost:" + std::to_wstring(MirrorPort(kClosedPort)) + L"/vardexS4.exe";
  int32_t httpStatus = -7;
  const HRESULT result = DownloadWithMoniker(url.c_str(), (folder / L"VXSetup.exe").c_str(), &status, &httpStatus);
  EXPECT_TRUE(FAILED(result)) << FormatHresult(result);
  EXPECT_EQ(httpStatus, -7);
  EXPECT_EQ(DestroyedSinceStart(), 1);
}

TEST_F(MonikerDownloadTest, CancelAbortsTheDownloadWithAFailure) {
  MirrorRoute route = SiteRoute("/slow-tls.exe");
  route.size = 20000000;
  route.rate = 400000;
  MirrorSetRoute(route);
  const std::wstring path = folder / L"VXSetup.exe";
  int32_t httpStatus = 0;
  HRESULT result = S_OK;
  std::thread worker([&] { result = DownloadWithMoniker(HttpsUrl("/slow-tls.exe").c_str(), path.c_str(), &status,
                                                        &httpStatus); });
  for (int i = 0; i < 3000 && status.bytesDone.load() < 100000; ++i) Sleep(10);
  EXPECT_GE(status.bytesDone.load(), 100000) << "no progress before the cancel";
  status.cancelRequested = 1;
  worker.join();
  EXPECT_TRUE(FAILED(result)) << FormatHresult(result);
  EXPECT_LT(status.bytesDone.load(), 20000000);
  EXPECT_EQ(DestroyedSinceStart(), 1);
  printf("  a cancelled moniker download answered %s\n", FormatHresult(result).c_str());

  // With the cancel already set, the call fails too and the object still goes once.
  result = DownloadWithMoniker(HttpsUrl("/slow-tls.exe?again").c_str(), path.c_str(), &status, &httpStatus);
  EXPECT_TRUE(FAILED(result)) << FormatHresult(result);
  EXPECT_EQ(DestroyedSinceStart(), 2);
}

}  // namespace
