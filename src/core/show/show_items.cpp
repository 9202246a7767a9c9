#include "core/show/show_items.h"

#include <algorithm>

namespace glintora {

void ShowItems::Start() {
  if (!m_dealer || m_list->Empty() || !m_dealer->Holding(m_monitor).empty()) return;
  m_dealer->Deal(m_monitor);
  m_dealer->Deal(m_monitor);
}

void ShowItems::Advance() {
  if (!m_dealer) {
    m_list->Advance();
    return;
  }
  if (m_list->Empty()) return;
  m_dealer->Release(m_monitor);
  m_dealer->Deal(m_monitor);
}

size_t ShowItems::CurrentIndex() const {
  if (!m_dealer) return m_list->CurrentIndex();
  const std::vector<size_t>& held = m_dealer->Holding(m_monitor);
  return held.empty() ? m_list->CurrentIndex() : held.front();
}

std::vector<size_t> ShowItems::Upcoming(size_t count) const {
  if (!m_dealer) return m_list->Upcoming(count);
  const std::vector<size_t>& held = m_dealer->Holding(m_monitor);
  if (count == 0 || held.size() < 2) return {};
  return {held.begin() + 1, held.begin() + static_cast<std::ptrdiff_t>(std::min(count + 1, held.size()))};
}

}  // namespace glintora
