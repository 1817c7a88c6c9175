// The one record that crosses threads: the worker and the transfer callbacks report through it to
// the window, and the window asks the worker to stop through it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

struct DownloadStatus {
  // Under the record's lock, held only for the copy of the text.
  void SetStatusText(const std::wstring& text);
  std::wstring CopyStatusText() const;

  // Whole 32-bit values without a lock: a reader may see an old one beside a new one.
  std::atomic<int32_t> bytesTotal{0};
  std::atomic<int32_t> bytesDone{0};
  std::atomic<float> rateKBps{0.0f};
  std::atomic<int32_t> cancelRequested{0};  // goes from 0 to 1 only

  // Set before the worker exists, only read afterwards.
  int32_t safeModeBoot = 0;
  int32_t writeReport = 0;

 private:
  mutable std::mutex lock_;
  std::wstring statusText_;
};

static_assert(std::atomic<int32_t>::is_always_lock_free && std::atomic<float>::is_always_lock_free,
              "the shared counters must be plain aligned 32-bit values");
