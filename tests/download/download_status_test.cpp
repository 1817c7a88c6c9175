#include <thread>

#include <gtest/gtest.h>

#include "download/download_status.h"

namespace {

TEST(DownloadStatus, StartsEmptyAndHandsTheTextAcrossThreadsWhole) {
  DownloadStatus status;
  EXPECT_EQ(status.CopyStatusText(), L"");
  EXPECT_EQ(status.bytesTotal.load(), 0);
  EXPECT_EQ(status.bytesDone.load(), 0);
  EXPECT_EQ(status.rateKBps.load(), 0.0f);
  EXPECT_EQ(status.cancelRequested.load(), 0);
  EXPECT_EQ(status.writeReport, 0);

  const std::wstring a(300, L'a'), b(700, L'b');
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) status.SetStatusText(i % 2 ? a : b);
  });
  for (int i = 0; i < 20000; ++i) {
    const std::wstring seen = status.CopyStatusText();
    ASSERT_TRUE(seen.empty() || seen == a || seen == b) << "a torn text of " << seen.size() << " characters";
  }
  writer.join();
  EXPECT_EQ(status.CopyStatusText(), a);  // the last one written
}

}  // namespace
