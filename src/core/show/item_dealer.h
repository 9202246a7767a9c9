#pragma once
// Deals the items of one media list to the shows of several monitors. Each show takes the
// list's next item at its own turn, so the list's order, and a shuffled cycle, is walked once
// across all the monitors rather than once on each. An item still on another monitor (at a
// cycle's seam, where a new cycle may begin with what ended the last) is held back and dealt
// at a later turn, so no item is on two monitors at once, nor twice running on one, while the
// list has more items than there are monitors; with fewer, a monitor shows what another does
// rather than nothing. One monitor walks the list exactly as a single show does.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace glintora {

class MediaList;

class ItemDealer {
 public:
  // `list` must be built, not empty, and outlive the dealer.
  ItemDealer(MediaList& list, size_t monitors);

  // The index (into the list's Files()) that `monitor` shows next. The first deal of all
  // takes the item the list has selected; every later one moves the list on.
  size_t Deal(size_t monitor);
  // What `monitor` shows, from its last deal; nothing before its first or after Clear.
  std::optional<size_t> Showing(size_t monitor) const { return m_showing[monitor]; }
  // `monitor` shows none of the list's items any more (a failed load, a blank screen).
  void Clear(size_t monitor) { m_showing[monitor].reset(); }

 private:
  bool OnScreen(size_t index) const;
  size_t Give(size_t monitor, size_t index);

  MediaList& m_list;
  std::vector<std::optional<size_t>> m_showing;  // by monitor
  std::vector<size_t> m_held;                    // dealt by the list, not yet shown, oldest first
  bool m_started = false;
};

// When monitor `k` of `n` first changes: k × period / n milliseconds after the show starts,
// so that the monitors take their turns one after another and one transition runs at a time.
uint32_t StaggeredStart(size_t k, size_t n, uint32_t periodMs);

}  // namespace glintora
