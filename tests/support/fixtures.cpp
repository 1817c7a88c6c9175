#include "support/fixtures.h"

#include <windows.h>

#include <sstream>

#include "support/win_test_support.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
  return out;
}

}  // namespace

std::vector<FixtureRun> ReadFixtureRuns(const std::wstring& recordPath) {
  const std::vector<uint8_t> bytes = ReadFileBytes(recordPath);
  std::stringstream stream(std::string(bytes.begin(), bytes.end()));
  std::vector<FixtureRun> runs;
  for (std::string line; std::getline(stream, line);) {
    if (line.compare(0, 6, "image=") == 0) {
      runs.push_back(FixtureRun{FromUtf8(line.substr(6)), std::wstring()});
    } else if (line.compare(0, 8, "command=") == 0 && !runs.empty()) {
      runs.back().commandLine = FromUtf8(line.substr(8));
    }
  }
  return runs;
}
