#include "win/show/item_prefetcher.h"

#include <utility>

#include "win/framework/worker_thread.h"

namespace glintora {

struct ItemPrefetcher::Job {
  Job(HWND target, UINT message, FrameComposer geometry, std::vector<PrefetchItem> tried)
      : window(target), notify(message), composer(std::move(geometry)), items(std::move(tried)) {}
  ~Job() {
    if (done) CloseHandle(done);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  HWND window;
  UINT notify;
  FrameComposer composer;  // geometry only
  std::vector<PrefetchItem> items;
  CvxImageLoader loader{CvxColor8(0, 0, 0)};
  PrefetchResult result;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

bool ItemPrefetcher::Start(HWND window, UINT notify, const FrameComposer& composer, std::vector<PrefetchItem> items,
                           const CvxImageLoader& like) {
  Cancel();
  if (items.empty()) return false;
  auto job = std::make_shared<Job>(window, notify, composer.GeometryOnly(), std::move(items));
  if (!job->done) return false;
  job->loader.SetRawParams(like.RawParams());
  job->loader.SetAutoRotate(like.AutoRotate());
  // The thread holds its own reference, released when it ends.
  if (!CWorkerThread::RunDetached([job] { return Run(*job); }, THREAD_PRIORITY_BELOW_NORMAL)) return false;
  m_job = std::move(job);
  return true;
}

UINT ItemPrefetcher::Run(Job& job) {
  job.result = PrefetchNextItem(job.loader, job.composer, job.items);
  SetEvent(job.done);
  // Given up jobs tell nobody; the window may be gone.
  if (!job.loader.Abandoned()) PostMessageA(job.window, job.notify, 0, 0);
  return 0;
}

size_t ItemPrefetcher::FirstIndex() const { return m_job->items.front().index; }

bool ItemPrefetcher::Done() const { return m_job && WaitForSingleObject(m_job->done, 0) == WAIT_OBJECT_0; }

PrefetchResult ItemPrefetcher::Take() {
  PrefetchResult result;
  if (!m_job) return result;
  WaitForSingleObject(m_job->done, INFINITE);
  result = std::move(m_job->result);
  m_job.reset();
  return result;
}

void ItemPrefetcher::Cancel() {
  if (!m_job) return;
  m_job->loader.Abandon();
  m_job.reset();
}

}  // namespace glintora
