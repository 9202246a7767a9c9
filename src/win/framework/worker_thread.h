#pragma once
// Worker threads of our small Win32 framework. A thread object either deletes itself when
// its function returns (automatic deletion, the default) or is kept for its owner, who
// waits for it and deletes it; a thread that will be kept is started suspended so the flag
// can be turned off before it runs.

#include <windows.h>

namespace glintora {

using WorkerProc = UINT (*)(void* param);

class CWorkerThread {
 public:
  // Starts `proc(param)` on a new thread with the default stack; suspended when asked.
  // Returns null when no thread could be made. With automatic deletion on, the object is the
  // thread's own and must not be touched once it runs.
  static CWorkerThread* Begin(WorkerProc proc, void* param, int priority = THREAD_PRIORITY_NORMAL,
                              bool suspended = false);
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
  // True when the thread has ended (waiting up to `milliseconds`).
  bool WaitEnded(DWORD milliseconds) const { return WaitForSingleObject(m_hThread, milliseconds) == WAIT_OBJECT_0; }
  // The function's return value once the thread has ended.
  DWORD ExitCode() const;

  HANDLE m_hThread = nullptr;
  bool m_autoDelete = true;

 private:
  CWorkerThread(WorkerProc proc, void* param) : m_proc(proc), m_param(param) {}
  static unsigned __stdcall Entry(void* self);

  WorkerProc m_proc;
  void* m_param;
};

}  // namespace glintora
