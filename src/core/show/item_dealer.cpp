#include "core/show/item_dealer.h"

#include <algorithm>

#include "core/show/media_list.h"

namespace glintora {

ItemDealer::ItemDealer(MediaList& list, size_t monitors) : m_list(list), m_showing(std::max<size_t>(monitors, 1)) {}

bool ItemDealer::OnScreen(size_t index) const {
  // One monitor walks the list exactly as a single show always has.
  if (m_showing.size() == 1) return false;
  return std::find(m_showing.begin(), m_showing.end(), index) != m_showing.end();
}

size_t ItemDealer::Give(size_t monitor, size_t index) {
  std::erase(m_held, index);
  m_showing[monitor] = index;
  return index;
}

size_t ItemDealer::Deal(size_t monitor) {
  for (const size_t index : m_held) {
    if (!OnScreen(index)) return Give(monitor, index);
  }
  if (!m_started) {
    m_started = true;
    return Give(monitor, m_list.CurrentIndex());
  }
  // At most one round of the list: past it every item is on another monitor or held.
  for (size_t tries = 0; tries < m_list.Size(); ++tries) {
    m_list.Advance();
    const size_t index = m_list.CurrentIndex();
    if (!OnScreen(index)) return Give(monitor, index);
    if (std::find(m_held.begin(), m_held.end(), index) == m_held.end()) m_held.push_back(index);
  }
  // More monitors than items: share one rather than leave this monitor without a picture.
  return Give(monitor, m_held.empty() ? m_list.CurrentIndex() : m_held.front());
}

uint32_t StaggeredStart(size_t k, size_t n, uint32_t periodMs) {
  if (n == 0 || k >= n) return 0;
  return static_cast<uint32_t>(uint64_t{periodMs} * k / n);
}

}  // namespace glintora
