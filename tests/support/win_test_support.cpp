#include "support/win_test_support.h"

#include <map>

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

static std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
  return Narrow(message);
}

std::string FormatHresult(HRESULT hr) {
  char head[32];
  snprintf(head, sizeof head, "0x%08lX", static_cast<unsigned long>(hr));
  const std::string message = SystemMessage(DWORD(hr));
  return message.empty() ? head : std::string(head) + " (" + message + ")";
}

std::string FormatWin32Error(DWORD error) {
  const std::string message = SystemMessage(error);
  return "error " + std::to_string(error) + (message.empty() ? "" : " (" + message + ")");
}

std::wstring ExpandEnv(const std::wstring& text) {
  wchar_t buffer[32768];
  const DWORD n = ExpandEnvironmentStringsW(text.c_str(), buffer, 32768);
  return n == 0 || n > 32768 ? text : std::wstring(buffer);
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  uint8_t chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got != 0) bytes.insert(bytes.end(), chunk, chunk + got);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  return ok;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
  return WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void DeleteTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

TempFolder::TempFolder(const std::wstring& parent) {
  const std::wstring base = parent.empty() ? ExpandEnv(L"%TEMP%") : parent;
  static LONG counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::wstring candidate = base + L"\\vxtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(InterlockedIncrement(&counter));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
  ADD_FAILURE() << "cannot create a scratch folder under " << Narrow(base);
}

TempFolder::~TempFolder() {
  if (!path_.empty()) DeleteTree(path_);
}

std::wstring TestProgramPath() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, n);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : process_(other.process_), id_(other.id_) {
  other.process_ = nullptr;
  other.id_ = 0;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Terminate();
    process_ = other.process_;
    id_ = other.id_;
    other.process_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& image, const std::wstring& commandLine) {
  Terminate();
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::wstring line = commandLine;
  if (!CreateProcessW(image.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Wait(DWORD timeoutMs) {
  return process_ != nullptr && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = 0;
  if (process_ == nullptr || !GetExitCodeProcess(process_, &code)) return DWORD(-1);
  return code;
}

bool ChildProcess::Running() const { return process_ != nullptr && ExitCode() == STILL_ACTIVE; }

void ChildProcess::Terminate() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 255);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

static std::map<std::wstring, TestHelper>& Helpers() {
  static std::map<std::wstring, TestHelper> helpers;
  return helpers;
}

TestHelperRegistration::TestHelperRegistration(const wchar_t* name, TestHelper helper) {
  Helpers()[name] = std::move(helper);
}

static std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    quoted.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    quoted += c;
  }
  quoted.append(slashes * 2, L'\\');
  return quoted + L"\"";
}

bool StartHelper(ChildProcess& child, const std::wstring& name, const std::vector<std::wstring>& args,
                 const std::wstring& image) {
  const std::wstring program = image.empty() ? TestProgramPath() : image;
  std::wstring line = QuoteArgument(program) + L" --helper " + QuoteArgument(name);
  for (const std::wstring& arg : args) line += L" " + QuoteArgument(arg);
  return child.Start(program, line);
}

// A process that just waits to be terminated (or for the given number of milliseconds).
VARDEX_TEST_HELPER(SleepHelper, L"sleep") {
  Sleep(args.empty() ? 600000 : DWORD(_wtoi(args[0].c_str())));
  return 0;
}

// A copy of the test program started as an "installer": with VARDEX_TEST_LAUNCH_RECORD naming a
// file, it writes its own image path and command line there (UTF-8, one per line) and ends.
static bool RecordLaunch() {
  wchar_t record[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"VARDEX_TEST_LAUNCH_RECORD", record, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  WriteFileText(record, Narrow(TestProgramPath()) + "\n" + Narrow(GetCommandLineW()) + "\n");
  return true;
}

int wmain(int argc, wchar_t** argv) {
  if (RecordLaunch()) return 0;
  if (argc >= 3 && std::wstring(argv[1]) == L"--helper") {
    auto helper = Helpers().find(argv[2]);
    if (helper == Helpers().end()) return 254;
    return helper->second(std::vector<std::wstring>(argv + 3, argv + argc));
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
