#include "win/framework/worker_thread.h"

#include <process.h>

#include <utility>

namespace glintora {

HANDLE CWorkerThread::Launch(std::unique_ptr<Work> work, int priority) {
  if (!work || !*work) return nullptr;
  // The thread takes the callable: it is freed on the thread once the work has returned.
  const uintptr_t handle = _beginthreadex(nullptr, 0, &CWorkerThread::Entry, work.get(), CREATE_SUSPENDED, nullptr);
  if (!handle) return nullptr;
  work.release();
  const auto thread = reinterpret_cast<HANDLE>(handle);
  SetThreadPriority(thread, priority);
  ::ResumeThread(thread);
  return thread;
}

std::unique_ptr<CWorkerThread> CWorkerThread::Start(Work work, int priority) {
  const HANDLE thread = Launch(std::make_unique<Work>(std::move(work)), priority);
  return thread ? std::unique_ptr<CWorkerThread>(new CWorkerThread(thread)) : nullptr;
}

bool CWorkerThread::RunDetached(Work work, int priority) {
  const HANDLE thread = Launch(std::make_unique<Work>(std::move(work)), priority);
  if (!thread) return false;
  CloseHandle(thread);
  return true;
}

CWorkerThread::~CWorkerThread() { CloseHandle(m_thread); }

DWORD CWorkerThread::ExitCode() const {
  DWORD code = 0;
  GetExitCodeThread(m_thread, &code);
  return code;
}

unsigned __stdcall CWorkerThread::Entry(void* work) {
  const std::unique_ptr<Work> owned(static_cast<Work*>(work));
  return (*owned)();
}

}  // namespace glintora
