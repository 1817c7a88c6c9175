#include <gtest/gtest.h>

#include "download/mirror_list.h"

namespace {

const wchar_t kId[] = L"0123456789abcdef0123456789abcdef";

std::vector<MirrorEntry> TestList(int* calls = nullptr) {
  const MirrorHosts hosts{L"127.0.0.1:18081", L"localhost:18082", L"127.0.0.1:18083", L"127.0.0.1:18084"};
  return BuildMirrorList(hosts, [calls] {
    if (calls) ++*calls;
    return std::wstring(kId);
  });
}

TEST(MirrorList, HoldsTheFiveSourcesInOrder) {
  const std::wstring q = std::wstring(L"?sid=salesvane&hwx=") + kId;
  const struct {
    const wchar_t* url32;
    const wchar_t* url64;
    std::wstring tracker;
  } expected[] = {
      {L"http://127.0.0.1:18081/vardex-free-download/salesvane/vardexS4.exe",
       L"http://127.0.0.1:18081/vardex-free-download/salesvane/vardexS4_64.exe",
       L"http://localhost:18082/download-vardex-free/salesvane.php" + q},
      {L"http://localhost:18082/download_scanner/salesvane/vardexS4.exe",
       L"http://localhost:18082/download_scanner/salesvane/vardexS4_64.exe",
       L"http://localhost:18082/download-vardex-free.php" + q},
      {L"http://127.0.0.1:18083/download_scanner/salesvane/vardexS4.exe",
       L"http://127.0.0.1:18083/download_scanner/salesvane/vardexS4_64.exe",
       L"http://127.0.0.1:18083/download_scanner/download-free.php" + q},
      {L"http://127.0.0.1:18084/download_scanner/salesvane/vardexS4.exe",
       L"http://127.0.0.1:18084/download_scanner/salesvane/vardexS4_64.exe",
       L"http://127.0.0.1:18084/download_scanner/download-free.php" + q},
      {L"https://localhost:18082/download_scanner/salesvane/vardexS4.exe",
       L"https://localhost:18082/download_scanner/salesvane/vardexS4_64.exe",
       L"https://localhost:18082/download_scanner/download-free.php" + q},
  };
  int calls = 0;
  const std::vector<MirrorEntry> mirrors = TestList(&calls);
  ASSERT_EQ(mirrors.size(), 5u);
  EXPECT_EQ(calls, 5) << "the identifier is computed once per entry";
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i + 1));
    EXPECT_EQ(mirrors[i].url32, expected[i].url32);
    EXPECT_EQ(mirrors[i].url64, expected[i].url64);
    EXPECT_EQ(mirrors[i].trackerUrl, expected[i].tracker);
  }
}

TEST(MirrorList, CarriesTheQueryOnlyInTheTrackerAndHttpsOnlyInEntryFive) {
  const std::vector<MirrorEntry> mirrors = TestList();
  for (size_t i = 0; i < mirrors.size(); ++i) {
    const MirrorEntry& m = mirrors[i];
    EXPECT_EQ(m.url32.find(L'?'), std::wstring::npos);
    EXPECT_EQ(m.url64.find(L'?'), std::wstring::npos);
    EXPECT_NE(m.trackerUrl.find(L"?sid=salesvane&hwx="), std::wstring::npos);
    const bool https = i == 4;
    for (const std::wstring* url : {&m.url32, &m.url64, &m.trackerUrl})
      EXPECT_EQ(url->rfind(https ? L"https://" : L"http://", 0), 0u) << "entry " << i + 1;
    // The two installer URLs differ only in the file name.
    EXPECT_EQ(m.url32.substr(0, m.url32.size() - 13), m.url64.substr(0, m.url64.size() - 16));
  }
}

TEST(MirrorList, ConfiguredHostsAreThoseOfTheBuild) {
  const MirrorHosts hosts = ConfiguredMirrorHosts();
  for (const std::wstring* host : {&hosts.download, &hosts.site, &hosts.mirror1, &hosts.mirror2}) {
    EXPECT_FALSE(host->empty());
    EXPECT_EQ(host->find(L'/'), std::wstring::npos);
  }
  EXPECT_EQ(FormatMirrorQuery(L"x"), L"?sid=salesvane&hwx=x");
}

}  // namespace
