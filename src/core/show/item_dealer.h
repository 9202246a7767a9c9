#pragma once
// Deals the items of one media list to the shows of several monitors. Each show takes the
// list's next item at its own turn, so the list's order, and a shuffled cycle, is walked once
// across all the monitors rather than once on each. A monitor holds what it shows and what it
// has taken to load ahead. An item that a monitor holds when the list reaches it (a slow
// monitor's, or at a cycle's seam, where a new cycle may begin with what ended the last) is
// on screen at its turn, and is passed over. So no item is on two monitors at once, nor twice
// running on one, nor twice in one cycle, while the list has more items than the monitors
// hold; with fewer, monitors share rather than show nothing.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glintora {

class MediaList;

class ItemDealer {
 public:
  // `list` must be built, not empty, and outlive the dealer.
  ItemDealer(MediaList& list, size_t monitors);

  size_t Monitors() const { return m_holding.size(); }
  // The index (into the list's Files()) that `monitor` takes next; it holds it until it
  // releases it. The first deal of all takes the item the list has selected; every later one
  // moves the list on.
  size_t Deal(size_t monitor);
  // `monitor` lets go of the oldest item it holds (the one it no longer shows).
  void Release(size_t monitor);
  // What `monitor` holds, oldest first.
  const std::vector<size_t>& Holding(size_t monitor) const { return m_holding[monitor]; }

 private:
  bool Held(size_t index) const;
  size_t Give(size_t monitor, size_t index);

  MediaList& m_list;
  std::vector<std::vector<size_t>> m_holding;  // by monitor, oldest first
  bool m_started = false;
};

// When monitor `k` of `n` first changes: k × period / n milliseconds after the others' first
// change, so that the monitors take their turns one after another and one transition runs at
// a time.
uint32_t StaggeredStart(size_t k, size_t n, uint32_t periodMs);

}  // namespace glintora
