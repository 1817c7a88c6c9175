// One DownloadToFile run for tools/bench.d/download: fetches URL into PATH and prints
// "bytes=<n> seconds=<transfer time> peak_working_set=<bytes>" on success.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>

#include "common/handles.h"
#include "download/download_status.h"
#include "net/http_transfer.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: download_bench URL PATH\n");
    return 2;
  }
  DownloadStatus status;
  TransferContext context;
  context.cancelFlag = &status.cancelRequested;
  context.rateOut = &status.rateKBps;
  context.totalOut = &status.bytesTotal;
  context.doneOut = &status.bytesDone;
  UniqueFileHandle file(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  context.file = file.get();
  const auto start = std::chrono::steady_clock::now();
  const int result = DownloadToFile(argv[1], &context);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  file.reset();
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  if (result != 0 || context.httpStatus != 200) {
    fwprintf(stderr, L"download_bench: result %d, status %d\n", result, context.httpStatus);
    return 1;
  }
  printf("bytes=%ld seconds=%.6f peak_working_set=%llu\n", long(status.bytesDone.load()), seconds,
         static_cast<unsigned long long>(memory.PeakWorkingSetSize));
  return 0;
}
