#include <gtest/gtest.h>

#include "net/installer_service.h"
#include "net/proxy_settings.h"

namespace {

TEST(InstallerService, PollsATenthOfTheWaitHintBetweenOneAndTenSeconds) {
  const struct {
    uint32_t waitHint, interval;
  } cases[] = {{30000, 3000}, {2000, 1000}, {200000, 10000}, {0, 1000}, {10000, 1000}, {10009, 1000},
               {10010, 1001}, {100000, 10000}, {100010, 10000}};
  for (const auto& c : cases) EXPECT_EQ(ServicePollInterval(c.waitHint), c.interval) << "wait hint " << c.waitHint;
}

TEST(ProxyRecord, SetsOnlyTheFlagsWordToDirectAndAutoDetect) {
  std::vector<uint8_t> record(60);
  for (size_t i = 0; i < record.size(); ++i) record[i] = uint8_t(0xA0 + i);
  record[8] = 3, record[9] = record[10] = record[11] = 0;
  bool changed = false;
  std::vector<uint8_t> repaired = WithDirectConnectionFlags(record, &changed);
  EXPECT_TRUE(changed);
  ASSERT_EQ(repaired.size(), 60u);
  EXPECT_EQ((std::vector<uint8_t>(repaired.begin() + 8, repaired.begin() + 12)), (std::vector<uint8_t>{9, 0, 0, 0}));
  for (size_t i = 0; i < 60; ++i) {
    if (i < 8 || i >= 12) {
      EXPECT_EQ(repaired[i], record[i]) << "byte " << i;
    }
  }

  for (size_t size : {0, 11}) {
    const std::vector<uint8_t> shortRecord(size, 0x33);
    EXPECT_EQ(WithDirectConnectionFlags(shortRecord, &changed), shortRecord);
    EXPECT_FALSE(changed);
  }
  EXPECT_TRUE((WithDirectConnectionFlags(std::vector<uint8_t>(12), &changed), changed));
}

}  // namespace
