#pragma once
// Per-frame pixel work split over the processor's cores in bands of rows. The helper
// threads are made once (for one transition, say) and wait between frames; the calling
// thread works the first band itself. Each band is a contiguous run of rows, so work that
// treats every row alike gives the same bytes however many bands there are.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace glintora {

class RowBands {
 public:
  // `bands` of at least 1; 0 means one per hardware thread.
  explicit RowBands(int bands = 0);
  ~RowBands();
  RowBands(const RowBands&) = delete;
  RowBands& operator=(const RowBands&) = delete;

  int Bands() const { return static_cast<int>(m_helpers.size()) + 1; }
  // Calls work(first, end) for consecutive bands covering rows [0, rows); returns when
  // every band is done.
  void Run(int rows, const std::function<void(int first, int end)>& work);

 private:
  void Help(int band);
  // Rows [first, end) of band `band` of Bands() over `rows`.
  void Band(int band, int& first, int& end) const;

  std::vector<std::thread> m_helpers;
  std::mutex m_lock;
  std::condition_variable m_start;     // a new frame's work, or the end
  std::condition_variable m_finished;  // a helper finished its band
  const std::function<void(int, int)>* m_work = nullptr;
  int m_rows = 0;
  unsigned m_generation = 0;  // counts frames; helpers wait for the next one
  int m_pending = 0;          // helpers still working on the current frame
  bool m_quit = false;
};

}  // namespace glintora
