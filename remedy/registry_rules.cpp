#include "remedy/registry_rules.h"

const std::vector<std::wstring> kCommandKeys = {
    L".exe\\shell\\open\\command",    L"secfile\\shell\\open\\command", L"exefile\\shell\\open\\command",
    L"comfile\\shell\\open\\command", L"batfile\\shell\\open\\command", L"piffile\\shell\\open\\command",
    L"htafile\\shell\\open\\command", L"htfile\\shell\\open\\command",
};

const std::vector<std::wstring> kUserClassesSuffixes = {L"_Classes\\", L"\\Software\\Classes\\"};

const std::vector<std::wstring> kUserExtensionSuffixes = {L"\\.exe", L"\\Software\\Classes\\.exe"};
