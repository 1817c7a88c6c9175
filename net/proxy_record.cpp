#include "net/proxy_settings.h"

namespace {

constexpr size_t kFlagsOffset = 8;
constexpr uint32_t kDirectAndAutoDetect = 0x1 | 0x8;

}  // namespace

std::vector<uint8_t> WithDirectConnectionFlags(std::vector<uint8_t> record, bool* changed) {
  *changed = record.size() >= kFlagsOffset + 4;
  if (!*changed) return record;
  for (size_t i = 0; i < 4; ++i) record[kFlagsOffset + i] = uint8_t(kDirectAndAutoDetect >> (8 * i));
  return record;
}
