// The result of a signature check and how the platform's answer maps to it.
#pragma once

#include <cstdint>

enum TrustResult {
  Trusted = 0,
  NotSigned = 1,
  Failed = 2,
  Distrusted = 3,
  NotTrusted = 4,
  PolicyBlocked = 5,
};

// The answers of the trust service that the result tells apart.
inline constexpr uint32_t kTrustNoSignature = 0x800B0100;        // TRUST_E_NOSIGNATURE
inline constexpr uint32_t kTrustSubjectFormUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN
inline constexpr uint32_t kTrustProviderUnknown = 0x800B0001;     // TRUST_E_PROVIDER_UNKNOWN
inline constexpr uint32_t kTrustExplicitDistrust = 0x800B0111;    // TRUST_E_EXPLICIT_DISTRUST
inline constexpr uint32_t kTrustSubjectNotTrusted = 0x800B0004;   // TRUST_E_SUBJECT_NOT_TRUSTED
inline constexpr uint32_t kTrustSecuritySettings = 0x80092026;    // CRYPT_E_SECURITY_SETTINGS

// `answer` is what the evaluation returned; `lastError` is the thread's last error right after it,
// looked at only for a missing signature.
TrustResult TrustResultFromAnswer(uint32_t answer, uint32_t lastError);
