// The signing fixtures that the test environment makes (tools/test-env.d/10-signing), as the
// Windows tests see them, and the record that the stand-in installer writes when it runs.
#pragma once

#include <string>
#include <vector>

#include "test_config.h"

// A file of STATE/fixtures, e.g. FixturePath(L"signed.exe"):
//   signed.exe          the stand-in installer, signed by a certificate under the test root CA
//   unsigned.exe        the same program unsigned
//   tampered.exe        signed.exe with one byte of its code changed
//   signed-large.exe    signed, 1048584 bytes: the smallest signed size above 1048576
//   signed-trailing.exe signed, 1048576 bytes, then one byte after the signature (1048577)
//   signed-1mib.exe     signed, exactly 1048576 bytes
//   unsigned-1mib.exe   unsigned, exactly 1048576 bytes
//   root.cer, codesign.cer, localhost.cer   the certificates (DER)
inline std::wstring FixturePath(const std::wstring& name) { return VARDEX_TEST_STATE_DIR L"\\fixtures\\" + name; }

// The stand-in installer appends one record per run to the file named by this variable, and
// stays this many milliseconds when the second one is set.
inline constexpr wchar_t kFixtureRecordVariable[] = L"VARDEX_FIXTURE_RECORD";
inline constexpr wchar_t kFixtureLingerVariable[] = L"VARDEX_FIXTURE_LINGER_MS";

struct FixtureRun {
  std::wstring image;        // GetModuleFileNameW of the started program
  std::wstring commandLine;  // GetCommandLineW, as it was started
};
// The runs recorded in `recordPath`, oldest first; empty when the file does not exist.
std::vector<FixtureRun> ReadFixtureRuns(const std::wstring& recordPath);
