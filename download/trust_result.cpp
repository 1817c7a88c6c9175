#include "download/trust_result.h"

TrustResult TrustResultFromAnswer(uint32_t answer, uint32_t lastError) {
  switch (answer) {
    case 0:
      return Trusted;
    case kTrustNoSignature:
      return lastError == kTrustNoSignature || lastError == kTrustSubjectFormUnknown ||
                     lastError == kTrustProviderUnknown
                 ? NotSigned
                 : Failed;
    case kTrustExplicitDistrust:
      return Distrusted;
    case kTrustSubjectNotTrusted:
      return NotTrusted;
    case kTrustSecuritySettings:
      return PolicyBlocked;
    default:
      return Failed;
  }
}
