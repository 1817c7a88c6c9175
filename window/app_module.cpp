#include "window/app_module.h"

namespace WTL {

CAppModule appModule;

namespace {

class ModuleLock {
 public:
  explicit ModuleLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~ModuleLock() { LeaveCriticalSection(&section_); }
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

}  // namespace

// The lock exists for the module's whole life, so a call before Init or after Term is harmless.
CAppModule::CAppModule() { InitializeCriticalSection(&lock_); }
CAppModule::~CAppModule() { DeleteCriticalSection(&lock_); }

HRESULT CAppModule::Init(HINSTANCE instance) {
  ModuleLock guard(lock_);
  instance_ = instance != nullptr ? instance : GetModuleHandleW(nullptr);
  mainThreadId_ = GetCurrentThreadId();
  loops_ = std::make_unique<std::map<DWORD, CMessageLoop*>>();
  return S_OK;
}

void CAppModule::Term() {
  // This module never creates a settings-change window, so only the registry is left to free.
  ModuleLock guard(lock_);
  loops_.reset();
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  ModuleLock guard(lock_);
  if (!loops_ || loop == nullptr) return false;
  return loops_->emplace(GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop() {
  ModuleLock guard(lock_);
  return loops_ && loops_->erase(GetCurrentThreadId()) == 1;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
  ModuleLock guard(lock_);
  if (!loops_) return nullptr;
  const auto found = loops_->find(threadId);
  return found == loops_->end() ? nullptr : found->second;
}

}  // namespace WTL
