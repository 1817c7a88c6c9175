#include "download/download_job.h"

// Stand-in for the download worker: it reports that it has finished and ends.
DWORD WINAPI WorkerThreadEntry(LPVOID job) {
  static_cast<DownloadJob*>(job)->status.SetStatusText(L"Finished");
  return 0;
}
