#include "download/worker_dialogs.h"

int ShowWorkerMessageBox(DownloadJob& job, const wchar_t* text, const wchar_t* caption, UINT style) {
  if (job.status.cancelRequested.load() != 0) return 0;
  return MessageBoxW(job.ownerWindow, text, caption, style);
}
