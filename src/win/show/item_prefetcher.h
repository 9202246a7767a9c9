#pragma once
// Loads the show's next item ahead of time on a thread of its own, below normal priority so
// that a running transition keeps its pace. The work is shared with that thread: Cancel
// gives it up at once (a slow file is never waited for) and the thread frees it when its
// decode has stopped.

#include <windows.h>

#include <memory>
#include <vector>

#include "core/show/picture_prefetch.h"

namespace glintora {

class ItemPrefetcher {
 public:
  ItemPrefetcher() = default;
  ~ItemPrefetcher() { Cancel(); }
  ItemPrefetcher(const ItemPrefetcher&) = delete;
  ItemPrefetcher& operator=(const ItemPrefetcher&) = delete;

  // Starts trying `items` in order, fitted with `composer`'s geometry and loaded as `like`
  // loads them (turning pictures upright or not, its RAW parameters); `notify` is posted to
  // `window` when the work is done. False when no thread could be started.
  bool Start(HWND window, UINT notify, const FrameComposer& composer, std::vector<PrefetchItem> items,
             const CvxImageLoader& like);
  bool Pending() const { return m_job != nullptr; }
  // The list index of the first item it tries; Pending() must hold.
  size_t FirstIndex() const;
  bool Done() const;
  // Waits until the work is done and hands its result over; nothing is pending afterwards.
  PrefetchResult Take();
  // Stops the decode and forgets the work without waiting.
  void Cancel();

 private:
  struct Job;
  static UINT Run(Job& job);

  std::shared_ptr<Job> m_job;
};

}  // namespace glintora
