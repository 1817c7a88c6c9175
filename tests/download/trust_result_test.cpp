#include <gtest/gtest.h>

#include "download/trust_result.h"

namespace {

TEST(TrustResultFromAnswer, MapsEachAnswerAndReadsTheLastErrorOnlyForAMissingSignature) {
  struct Case {
    uint32_t answer, lastError;
    TrustResult result;
  } cases[] = {
      {0, 0, Trusted},
      {0, 0x800B0100, Trusted},
      {0x800B0100, 0x800B0100, NotSigned},
      {0x800B0100, 0x800B0003, NotSigned},
      {0x800B0100, 0x800B0001, NotSigned},
      {0x800B0100, 0, Failed},
      {0x800B0100, 2, Failed},
      {0x800B0111, 0, Distrusted},
      {0x800B0004, 0, NotTrusted},
      {0x80092026, 0, PolicyBlocked},
      {0x80096010, 0x80096010, Failed},  // TRUST_E_BAD_DIGEST, a changed file
      {0x800B0109, 0, Failed},           // CERT_E_UNTRUSTEDROOT
      {0x80070002, 2, Failed},           // the file is gone
      {1, 0, Failed},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TrustResultFromAnswer(c.answer, c.lastError), c.result) << std::hex << c.answer << " " << c.lastError;
}

}  // namespace
