#include "download/download_attempts.h"

#include <shellapi.h>

#include <string>

#include "download/download_report.h"
#include "download/verification.h"
#include "download/worker_dialogs.h"
#include "identity/md5.h"
#include "net/http_transfer.h"
#include "net/moniker_download.h"
#include "remedy/process_sweep.h"

namespace {

constexpr int kNoAttemptYet = -1;
constexpr int kUnsupportedProtocol = 1;  // libcurl's answer for https: the platform takes over

struct Attempt {
  int httpStatus = 0;
  int result = kNoAttemptYet;
  bool fileCreated = false;
};

// Downloads one URL into the installer file; https goes through the URL monikers.
Attempt RunAttempt(DownloadJob& job, TransferContext& context, const wchar_t* url, const wchar_t* installerPath,
                   bool deleteFirst) {
  if (deleteFirst) DeleteFileW(installerPath);
  UniqueFileHandle file(
      CreateFileW(installerPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  Attempt attempt;
  attempt.fileCreated = file.valid();
  context.file = file.get();
  context.httpStatus = 0;
  attempt.result = DownloadToFile(url, &context);
  attempt.httpStatus = context.httpStatus;
  context.file = INVALID_HANDLE_VALUE;
  file.reset();
  if (attempt.result == kUnsupportedProtocol && job.status.cancelRequested.load() == 0)
    attempt.result = int(DownloadWithMoniker(url, installerPath, &job.status, &attempt.httpStatus));
  return attempt;
}

// True when Windows trusts the file's signature; then *keep (if given) holds the checked file open.
bool IsGenuine(const wchar_t* installerPath, UniqueFileHandle* keep) {
  TrustCheck check;
  PrepareTrustCheck(&check);
  const bool genuine = OpenTrustCheckFile(&check, installerPath) && VerifyFileTrust(&check) == Trusted;
  if (genuine && keep != nullptr) keep->reset(TakeTrustCheckFile(&check));
  ReleaseTrustCheck(&check);
  return genuine;
}

void NotifyTracker(const std::wstring& trackerUrl) {
  if (trackerUrl.empty()) return;
  HttpRequest request;
  if (request.Post(trackerUrl.c_str(), std::string()) == kUnsupportedProtocol) PingUrl(trackerUrl.c_str());
}

// The report file: created fresh, UTF-16LE with a byte-order mark, CRLF line ends. Writes are
// skipped silently when it could not be created.
class ReportFile {
 public:
  explicit ReportFile(const std::wstring& path) {
    if (path.empty()) return;
    file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    WriteBytes(kReportByteOrderMark);
  }
  void Write(const std::wstring& text) { WriteBytes(EncodeReportText(text)); }

 private:
  void WriteBytes(const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    if (file_ && !bytes.empty()) WriteFile(file_.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
  }
  UniqueFileHandle file_;
};

ReportedAttempt ReportOf(const Attempt& attempt, const std::wstring& url, const wchar_t* installerPath) {
  ReportedAttempt reported;
  reported.httpStatus = attempt.httpStatus;
  reported.result = attempt.result;
  reported.url = url;
  reported.checked = attempt.result == 0 && attempt.httpStatus == 200;
  if (reported.checked) {
    reported.genuine = IsGenuine(installerPath, nullptr);
    reported.md5 = Md5HexOfFile(installerPath);
  }
  return reported;
}

int RunReportMode(DownloadJob& job, TransferContext& context, const wchar_t* installerPath) {
  ReportFile report(ReportPathFor(installerPath, MAX_PATH));
  report.Write(ReportHeaderText(PartnerToken));
  int order = 0;
  for (const MirrorEntry& mirror : job.mirrors) {
    report.Write(ReportLinkStartText(++order));
    const Attempt first = RunAttempt(job, context, mirror.url32.c_str(), installerPath, true);
    report.Write(ReportAttemptText(L"bit32", ReportOf(first, mirror.url32, installerPath)));
    const Attempt second = RunAttempt(job, context, mirror.url64.c_str(), installerPath, false);
    report.Write(ReportAttemptText(L"bit64", ReportOf(second, mirror.url64, installerPath)));
    report.Write(ReportLinkEndText(mirror.trackerUrl));
  }
  report.Write(ReportFooterText());
  return 1;
}

bool IsAccepted(const DownloadJob& job, const Attempt& attempt) {
  return attempt.httpStatus == 200 && attempt.result == 0 && job.status.bytesDone.load() > kMinimumInstallerBytes;
}

int RunNormalMode(DownloadJob& job, TransferContext& context, const wchar_t* installerPath,
                  UniqueFileHandle* verifiedFile) {
  const bool use64 = IsRunningOnWow64();
  bool anyFileCreated = false;
  for (const MirrorEntry& mirror : job.mirrors) {
    const std::wstring& url = use64 ? mirror.url64 : mirror.url32;
    const Attempt attempt = RunAttempt(job, context, url.c_str(), installerPath, true);
    anyFileCreated = anyFileCreated || attempt.fileCreated;
    if (IsAccepted(job, attempt) && IsGenuine(installerPath, verifiedFile)) {
      NotifyTracker(mirror.trackerUrl);
      return 1;
    }
  }
  // No source gave a genuine installer: nothing is started, and the user learns why.
  if (job.status.cancelRequested.load() == 0 && !job.mirrors.empty()) {
    const wchar_t* text = anyFileCreated ? kConnectionErrorText : kDestinationErrorText;
    if (ShowWorkerMessageBox(job, text, kDownloadErrorCaption, MB_OK) == IDOK)
      OpenManualDownloadPage(job.mirrors.front().url32.c_str());
  }
  return 0;
}

}  // namespace

void OpenManualDownloadPage(const wchar_t* url) {
  const INT_PTR opened = INT_PTR(ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL));
  if (opened > 32) return;
  Sleep(200);
  ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

int DownloadAndReport(DownloadJob& job, const wchar_t* installerPath, UniqueFileHandle* verifiedFile) {
  job.status.rateKBps = 0.0f;
  job.status.bytesDone = 0;
  job.status.bytesTotal = kInitialBytesTotal;
  TransferContext context;
  context.cancelFlag = &job.status.cancelRequested;
  context.rateOut = &job.status.rateKBps;
  context.totalOut = &job.status.bytesTotal;
  context.doneOut = &job.status.bytesDone;
  if (job.status.writeReport != 0) return RunReportMode(job, context, installerPath);
  return RunNormalMode(job, context, installerPath, verifiedFile);
}
