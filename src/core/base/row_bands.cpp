#include "core/base/row_bands.h"

#include <algorithm>
#include <system_error>

namespace glintora {

RowBands::RowBands(int bands) {
  if (bands <= 0) bands = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int band = 1; band < bands; ++band) {
    try {
      m_helpers.emplace_back(&RowBands::Help, this, band);
    } catch (const std::system_error&) {
      break;  // fewer threads: the bands are fewer and wider
    }
  }
}

RowBands::~RowBands() {
  {
    const std::lock_guard guard(m_lock);
    m_quit = true;
  }
  m_start.notify_all();
  for (std::thread& helper : m_helpers) helper.join();
}

void RowBands::Band(int band, int& first, int& end) const {
  const int64_t bands = Bands();
  first = static_cast<int>(m_rows * int64_t{band} / bands);
  end = static_cast<int>(m_rows * int64_t{band + 1} / bands);
}

void RowBands::Run(int rows, const std::function<void(int, int)>& work) {
  if (m_helpers.empty() || rows < Bands()) {
    work(0, rows);
    return;
  }
  {
    const std::lock_guard guard(m_lock);
    m_work = &work;
    m_rows = rows;
    m_pending = static_cast<int>(m_helpers.size());
    ++m_generation;
  }
  m_start.notify_all();
  int first = 0, end = 0;
  Band(0, first, end);
  work(first, end);
  std::unique_lock lock(m_lock);
  m_finished.wait(lock, [this] { return m_pending == 0; });
  m_work = nullptr;
}

void RowBands::Help(int band) {
  unsigned seen = 0;
  std::unique_lock lock(m_lock);
  for (;;) {
    m_start.wait(lock, [&] { return m_quit || m_generation != seen; });
    if (m_quit) return;
    seen = m_generation;
    const std::function<void(int, int)>& work = *m_work;
    int first = 0, end = 0;
    Band(band, first, end);
    lock.unlock();
    work(first, end);
    lock.lock();
    if (--m_pending == 0) m_finished.notify_one();
  }
}

}  // namespace glintora
