// The process-wide application module: the instance that holds the program's resources, the main
// thread, and the message loop of each thread that runs one.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "window/message_loop.h"

namespace WTL {

class CAppModule {
 public:
  CAppModule();
  ~CAppModule();
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  // Records the calling thread as the main thread and starts an empty registry of loops.
  HRESULT Init(HINSTANCE instance);
  // Frees the registry; the module can be initialised again afterwards.
  void Term();

  HINSTANCE GetResourceInstance() const { return instance_; }
  DWORD MainThreadId() const { return mainThreadId_; }

  // Each changes or reads the registry under the module's lock; false when there is no registry
  // or the thread already has (or has no) loop.
  bool AddMessageLoop(CMessageLoop* loop);
  bool RemoveMessageLoop();
  // The loop of the given thread (default: the calling one), or nullptr.
  CMessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId()) const;

 private:
  mutable CRITICAL_SECTION lock_;
  HINSTANCE instance_ = nullptr;
  DWORD mainThreadId_ = 0;
  std::unique_ptr<std::map<DWORD, CMessageLoop*>> loops_;
};

// The program's one module.
extern CAppModule appModule;

}  // namespace WTL
