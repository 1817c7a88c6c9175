// Message boxes of the download worker, owned by the frame window.
#pragma once

#include <windows.h>

#include "download/download_job.h"

// Shows a message box owned by the job's window and returns its answer. After a close request it
// shows nothing and returns 0: the window thread then waits for the worker and could not serve
// a box owned by its window.
int ShowWorkerMessageBox(DownloadJob& job, const wchar_t* text, const wchar_t* caption, UINT style);
