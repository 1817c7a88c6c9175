// The hashed machine identifier (hwx) sent to the maker's web pages: an MD5 over the volume serial
// text, a fixed salt and the first adapter's address text, so it is stable but reveals neither.
#pragma once

#include <cstdint>
#include <string>

inline constexpr wchar_t kMachineIdSalt[] = L"-508316274-";

// "%04X-%04X", high 16 bits first: 0x0000000A gives 0000-000A.
std::wstring FormatVolumeSerial(uint32_t serial);
// "%02X-%02X-%02X-%02X-%02X-%02X" over bytes 0 to 5, whatever length the adapter states.
std::wstring FormatAdapterAddress(const uint8_t address[6]);
// MD5 hex over the UTF-16LE code units (no terminator) of volume text, salt and adapter text.
std::wstring MachineIdFromTexts(const std::wstring& volumeText, const std::wstring& adapterText);

// The three below ask the platform; each text is empty when the platform cannot tell.
std::wstring GetVolumeSerialText();
std::wstring GetAdapterAddressText();
std::wstring ComputeMachineId();
