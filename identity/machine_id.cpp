#include "identity/machine_id.h"

#include <cstdio>
#include <vector>

#include "common/text.h"
#include "identity/md5.h"

std::wstring FormatVolumeSerial(uint32_t serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X-%04X", unsigned(serial >> 16), unsigned(serial & 0xFFFF));
  return Widen(text);
}

std::wstring FormatAdapterAddress(const uint8_t address[6]) {
  char text[24];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", address[0], address[1], address[2],
                address[3], address[4], address[5]);
  return Widen(text);
}

std::wstring MachineIdFromTexts(const std::wstring& volumeText, const std::wstring& adapterText) {
  const std::vector<uint8_t> bytes = ToUtf16LeBytes(volumeText + kMachineIdSalt + adapterText);
  return Md5HexOfBuffer(bytes.data(), bytes.size());
}
