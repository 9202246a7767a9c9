#include "core/show/item_dealer.h"

#include <algorithm>

#include "core/show/media_list.h"

namespace glintora {

ItemDealer::ItemDealer(MediaList& list, size_t monitors) : m_list(list), m_holding(std::max<size_t>(monitors, 1)) {}

bool ItemDealer::Held(size_t index) const {
  return std::any_of(m_holding.begin(), m_holding.end(), [index](const std::vector<size_t>& held) {
    return std::find(held.begin(), held.end(), index) != held.end();
  });
}

size_t ItemDealer::Give(size_t monitor, size_t index) {
  m_holding[monitor].push_back(index);
  return index;
}

void ItemDealer::Release(size_t monitor) {
  std::vector<size_t>& held = m_holding[monitor];
  if (!held.empty()) held.erase(held.begin());
}

size_t ItemDealer::Deal(size_t monitor) {
  if (!m_started) {
    m_started = true;
    return Give(monitor, m_list.CurrentIndex());
  }
  // An item on screen when its turn comes has had its turn: it is passed over, not held back
  // to come again a few changes later. At most one round of the list: past it every item is
  // held, and this monitor shares the next rather than show nothing.
  for (size_t tries = 0; tries < m_list.Size(); ++tries) {
    m_list.Advance();
    if (!Held(m_list.CurrentIndex())) break;
  }
  return Give(monitor, m_list.CurrentIndex());
}

uint32_t StaggeredStart(size_t k, size_t n, uint32_t periodMs) {
  if (n == 0 || k >= n) return 0;
  return static_cast<uint32_t>(uint64_t{periodMs} * k / n);
}

}  // namespace glintora
