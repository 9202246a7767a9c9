#include "win/framework/worker_thread.h"

#include <process.h>

namespace glintora {

CWorkerThread* CWorkerThread::Begin(WorkerProc proc, void* param, int priority, bool suspended) {
  auto* thread = new CWorkerThread(proc, param);
  // Always made suspended, so the handle is stored before the thread can delete the object.
  const uintptr_t handle = _beginthreadex(nullptr, 0, &CWorkerThread::Entry, thread, CREATE_SUSPENDED, nullptr);
  if (!handle) {
    delete thread;
    return nullptr;
  }
  thread->m_hThread = reinterpret_cast<HANDLE>(handle);
  SetThreadPriority(thread->m_hThread, priority);
  if (!suspended) thread->ResumeThread();
  return thread;
}

CWorkerThread::~CWorkerThread() {
  if (m_hThread) CloseHandle(m_hThread);
}

DWORD CWorkerThread::ExitCode() const {
  DWORD code = 0;
  GetExitCodeThread(m_hThread, &code);
  return code;
}

unsigned __stdcall CWorkerThread::Entry(void* self) {
  auto* thread = static_cast<CWorkerThread*>(self);
  const UINT result = thread->m_proc(thread->m_param);
  if (thread->m_autoDelete) delete thread;
  return result;
}

}  // namespace glintora
