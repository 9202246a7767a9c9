#pragma once
// Worker threads of our small Win32 framework. A thread runs a callable, which owns what the
// work needs (shared state is held by a shared_ptr it captures). Either its starter keeps an
// owner (Start), which can wait for the thread and closes its handle when it goes, or nobody
// waits for it (RunDetached) and the thread frees the callable, and with it what the work
// holds, when it ends.

#include <windows.h>

#include <functional>
#include <memory>

namespace glintora {

class CWorkerThread {
 public:
  using Work = std::function<UINT()>;

  // Starts `work` on a new thread; null when no thread could be made. Dropping the owner does
  // not wait: the work must not use what the owner's holder frees before WaitEnded.
  static std::unique_ptr<CWorkerThread> Start(Work work, int priority = THREAD_PRIORITY_NORMAL);
  // Starts `work` on a thread that nobody waits for; false when no thread could be made.
  static bool RunDetached(Work work, int priority = THREAD_PRIORITY_NORMAL);

  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // True when the thread has ended (waiting up to `milliseconds`).
  bool WaitEnded(DWORD milliseconds) const { return WaitForSingleObject(m_thread, milliseconds) == WAIT_OBJECT_0; }
  // The work's return value once the thread has ended.
  DWORD ExitCode() const;
  // For waits on several objects; the owner keeps it.
  HANDLE Handle() const { return m_thread; }

 private:
  explicit CWorkerThread(HANDLE thread) : m_thread(thread) {}
  // Starts the thread on `work` (which it deletes); its handle, or null.
  static HANDLE Launch(std::unique_ptr<Work> work, int priority);
  static unsigned __stdcall Entry(void* work);

  HANDLE m_thread;
};

}  // namespace glintora
