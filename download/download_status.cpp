#include "download/download_status.h"

void DownloadStatus::SetStatusText(const std::wstring& text) {
  std::wstring copy = text;  // allocate outside the lock
  std::lock_guard<std::mutex> guard(lock_);
  statusText_.swap(copy);
}

std::wstring DownloadStatus::CopyStatusText() const {
  std::lock_guard<std::mutex> guard(lock_);
  return statusText_;
}
