#pragma once
// One piece of work at a time on a worker thread that polls KeepRunning() between its steps (a
// transition between its frames), and the stop the window that started it needs: the flag
// turned, then a wait that goes on serving the window's thread, since the work's last steps may
// need it (a redraw it asks for, a message it sends). The show and the transitions dialog each
// run their transitions through one.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "win/framework/worker_thread.h"

namespace glintora {

// Serves every message waiting in the calling thread's queue, each offered first to
// `preTranslate` (true: handled, not dispatched), or to the windows it is bound for
// (CWnd::WalkPreTranslate) when none is given. A quit message met here is posted again so
// that the application's loop still ends.
void ServeWaitingMessages(const std::function<bool(MSG*)>& preTranslate = {});

class CStoppableWorker {
 public:
  CStoppableWorker() = default;
  // Asks the work to end and waits for it without serving messages: the work must need
  // nothing from this thread by then.
  ~CStoppableWorker();
  CStoppableWorker(const CStoppableWorker&) = delete;
  CStoppableWorker& operator=(const CStoppableWorker&) = delete;

  // Starts `work` once the previous work has ended (waited for without serving messages: it
  // posted its end as its last act); false when no thread could be made.
  bool Start(CWorkerThread::Work work);
  // Turns the flag and waits until the work has ended, calling `serve` meanwhile. A stop
  // nested in `serve` waits likewise; whichever sees the end first forgets the thread.
  void Stop(const std::function<void()>& serve);
  bool Running() const { return m_thread && !m_thread->WaitEnded(0); }
  bool KeepRunning() const { return m_keepRunning; }
  DWORD ThreadId() const { return m_thread ? GetThreadId(m_thread->Handle()) : 0; }

 private:
  std::unique_ptr<CWorkerThread> m_thread;  // kept after it ends, until the next start or stop
  std::atomic<bool> m_keepRunning{true};     // polled by the work
};

}  // namespace glintora
