// What the download worker shares with the window that starts it. The main frame is a
// DownloadJob; the worker thread receives the frame through this base.
#pragma once

#include <windows.h>

#include <vector>

#include "download/download_status.h"
#include "download/mirror_list.h"

struct DownloadJob {
  DownloadStatus status;
  std::vector<MirrorEntry> mirrors;
  HWND ownerWindow = nullptr;  // owns every message box of the worker
};

// The worker thread's procedure; its parameter is the DownloadJob of the frame. Returns 0.
DWORD WINAPI WorkerThreadEntry(LPVOID job);
