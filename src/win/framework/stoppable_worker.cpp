#include "win/framework/stoppable_worker.h"

#include <utility>

#include "win/framework/wnd.h"

namespace glintora {

void ServeWaitingMessages(const std::function<bool(MSG*)>& preTranslate) {
  MSG msg;
  bool quit = false;
  WPARAM quitCode = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // for the loop that runs the application
      quit = true;
      quitCode = msg.wParam;
      continue;
    }
    if (preTranslate ? preTranslate(&msg) : CWnd::WalkPreTranslate(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

CStoppableWorker::~CStoppableWorker() {
  m_keepRunning = false;
  if (m_thread) m_thread->WaitEnded(INFINITE);
}

bool CStoppableWorker::Start(CWorkerThread::Work work) {
  if (m_thread) {
    m_thread->WaitEnded(INFINITE);
    m_thread.reset();
  }
  m_keepRunning = true;
  m_thread = CWorkerThread::Start(std::move(work));
  return m_thread != nullptr;
}

void CStoppableWorker::Stop(const std::function<void()>& serve) {
  if (!m_thread) return;
  m_keepRunning = false;
  for (;;) {
    serve();
    if (!m_thread) break;  // a nested stop has joined it already
    HANDLE thread = m_thread->Handle();
    if (MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
  }
  m_thread.reset();
  m_keepRunning = true;
}

}  // namespace glintora
