// The download job's test rig: the five sources of the test build on the local mirror server,
// the answers they give, fixture variants, and one run of the worker in the test process.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "download/download_job.h"
#include "identity/machine_id.h"
#include "support/fixtures.h"
#include "support/mirror_control.h"
#include "support/win_test_support.h"

// The five sources of the test build, as the mirror server sees their requests.
struct Source {
  int host;
  bool tls;
  std::string path32, path64;
  int trackerHost;
  std::string trackerPath;
};
const Source kSources[5] = {
    {kDownloadHost, false, "/vardex-free-download/salesvane/vardexS4.exe",
     "/vardex-free-download/salesvane/vardexS4_64.exe", kSiteHost, "/download-vardex-free/salesvane.php"},
    {kSiteHost, false, "/download_scanner/salesvane/vardexS4.exe", "/download_scanner/salesvane/vardexS4_64.exe",
     kSiteHost, "/download-vardex-free.php"},
    {kMirror1Host, false, "/download_scanner/salesvane/vardexS4.exe", "/download_scanner/salesvane/vardexS4_64.exe",
     kMirror1Host, "/download_scanner/download-free.php"},
    {kMirror2Host, false, "/download_scanner/salesvane/vardexS4.exe", "/download_scanner/salesvane/vardexS4_64.exe",
     kMirror2Host, "/download_scanner/download-free.php"},
    {kSiteHost, true, "/download_scanner/salesvane/vardexS4.exe", "/download_scanner/salesvane/vardexS4_64.exe",
     kSiteHost, "/download_scanner/download-free.php"},
};

// What a source answers for an installer URL.
struct Answer {
  int status = 404;
  std::wstring file;  // empty: a short body
  int64_t rate = 0;
  bool drop = false;  // closes the connection without an answer
};
inline Answer Serve(const std::wstring& file, int status = 200) { return Answer{status, file}; }
const Answer kMissing{};

inline void Route(int source, const std::string& path, const Answer& answer) {
  MirrorRoute route;
  route.port = MirrorPort(kSources[source].host);
  route.scheme = kSources[source].tls ? "https" : "http";
  route.path = path;
  route.status = answer.status;
  route.rate = answer.rate;
  route.drop = answer.drop;
  if (answer.file.empty())
    route.body = "no such file";
  else
    route.file = answer.file;
  MirrorSetRoute(route);
}

// What the connectivity probe answers.
inline void RouteProbe(const Answer& answer) {
  MirrorRoute probe;
  probe.port = MirrorPort(kProbeHost);
  probe.path = "/";
  probe.status = 200;
  probe.body = "probe";
  probe.drop = answer.drop;
  MirrorSetRoute(probe);
}

inline void RouteSources(const std::vector<Answer>& answers32, const std::vector<Answer>& answers64 = {}) {
  MirrorReset();
  for (int i = 0; i < 5; ++i) {
    Route(i, kSources[i].path32, i < int(answers32.size()) ? answers32[i] : kMissing);
    Route(i, kSources[i].path64, i < int(answers64.size()) ? answers64[i] : kMissing);
  }
  RouteProbe(Serve(L""));
}

inline std::vector<MirrorRequest> RequestsOf(int source, const std::string& path) {
  std::vector<MirrorRequest> found;
  for (const MirrorRequest& r : MirrorRequests(MirrorPort(kSources[source].host)))
    if (r.tls == kSources[source].tls && r.path.substr(0, r.path.find('?')) == path) found.push_back(r);
  return found;
}

inline std::vector<MirrorRequest> TrackerRequests(int source) {
  std::vector<MirrorRequest> found;
  for (const MirrorRequest& r : MirrorRequests(MirrorPort(kSources[source].trackerHost)))
    if (r.tls == kSources[source].tls && r.path.substr(0, r.path.find('?')) == kSources[source].trackerPath)
      found.push_back(r);
  return found;
}

// Variants of the fixtures that the tests make themselves, where the mirror server can read them.
class Installers {
 public:
  Installers() {
    // Unsigned and larger than one mebibyte.
    std::vector<uint8_t> unsignedLarge = ReadFileBytes(FixturePath(L"unsigned-1mib.exe"));
    unsignedLarge.resize(unsignedLarge.size() + 4096, 0);
    WriteFileBytes(unsignedLarge_, unsignedLarge);
    // Signed and large, with one byte of its code changed afterwards.
    std::vector<uint8_t> tampered = ReadFileBytes(FixturePath(L"signed-large.exe"));
    if (tampered.size() > 4096) tampered[2000] ^= 0xFF;
    WriteFileBytes(tamperedLarge_, tampered);
  }
  std::wstring signedLarge() const { return FixturePath(L"signed-large.exe"); }
  std::wstring signed1Mib() const { return FixturePath(L"signed-1mib.exe"); }
  std::wstring signed1048577() const { return FixturePath(L"signed-1048577.exe"); }
  const std::wstring& unsignedLarge() const { return unsignedLarge_; }
  const std::wstring& tamperedLarge() const { return tamperedLarge_; }

 private:
  TempFolder folder_{VARDEX_TEST_STATE_DIR};
  std::wstring unsignedLarge_ = folder_ / L"unsigned-large.exe";
  std::wstring tamperedLarge_ = folder_ / L"tampered-large.exe";
};

// Sets an environment variable of this process (and so of the programs it starts) for a while.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32768];
    const DWORD n = GetEnvironmentVariableW(name, old, 32768);
    had_ = n > 0 && n < 32768;
    if (had_) old_ = old;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr); }

 private:
  std::wstring name_, old_;
  bool had_ = false;
};

// Makes the prefix open http links with `program` (given the link as its argument) for a while.
class ScopedHttpHandler {
 public:
  explicit ScopedHttpHandler(const std::wstring& program) {
    wchar_t old[1024] = {};
    LONG size = sizeof old;
    had_ = RegQueryValueW(HKEY_CLASSES_ROOT, kKey, old, &size) == ERROR_SUCCESS;
    old_ = old;
    Set(L"\"" + program + L"\" \"%1\"");
  }
  ~ScopedHttpHandler() {
    if (had_)
      Set(old_);
    else
      RegDeleteTreeW(HKEY_CLASSES_ROOT, kKey);
  }

 private:
  static constexpr wchar_t kKey[] = L"http\\shell\\open\\command";
  void Set(const std::wstring& command) {
    EXPECT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, kKey, REG_SZ, command.c_str(), DWORD(command.size() * 2)),
              ERROR_SUCCESS);
  }
  bool had_ = false;
  std::wstring old_;
};

// One run of the worker in this process, with a temporary folder of its own as %TEMP% and a
// record of the installers it starts.
class JobRun {
 public:
  JobRun() : temp_(L"TEMP", folder_.path()), tmp_(L"TMP", folder_.path()), record_(kFixtureRecordVariable, recordPath()) {
    job.mirrors = BuildMirrorList(ConfiguredMirrorHosts(), ComputeMachineId);
  }
  ~JobRun() { Join(); }

  void Start(bool report = false) {
    job.status.writeReport = report ? 1 : 0;
    worker_ = std::thread([this] { exitCode_ = WorkerThreadEntry(&job); });
  }
  // Waits for the worker; false when it has not ended within the time.
  bool Join(DWORD timeoutMs = 120000) {
    if (!worker_.joinable()) return true;
    const DWORD start = GetTickCount();
    while (job.status.CopyStatusText() != L"Finished" && GetTickCount() - start < timeoutMs) Sleep(20);
    if (job.status.CopyStatusText() != L"Finished") return false;
    worker_.join();
    return true;
  }
  std::wstring installerPath() const { return folder_ / L"VXSetup.exe"; }
  std::wstring recordPath() const { return folder_ / L"installer-runs.txt"; }
  std::vector<FixtureRun> InstallerRuns() const {
    // The installer is started without waiting: give it a moment to write its record.
    for (int i = 0; i < 100 && ReadFixtureRuns(recordPath()).empty(); ++i) Sleep(50);
    return ReadFixtureRuns(recordPath());
  }
  const TempFolder& folder() const { return folder_; }
  DWORD exitCode() const { return exitCode_; }

  DownloadJob job;

 private:
  TempFolder folder_;
  ScopedVariable temp_, tmp_, record_;
  std::thread worker_;
  DWORD exitCode_ = 1234;
};

