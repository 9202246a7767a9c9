#pragma once
// The items one show walks: the whole media list for a show of its own (the preview, a single
// monitor), or the items a dealer hands one monitor's show, where the show takes its next item
// ahead of time so that it can load it ahead, and other monitors never get it meanwhile.

#include <cstddef>
#include <string>
#include <vector>

#include "core/show/item_dealer.h"
#include "core/show/media_list.h"

namespace glintora {

class ShowItems {
 public:
  // Walks `list` alone; the list must outlive this.
  explicit ShowItems(MediaList& list) : m_list(&list) {}
  // Walks what `dealer` deals to `monitor`; both must outlive this.
  ShowItems(MediaList& list, ItemDealer& dealer, size_t monitor)
      : m_list(&list), m_dealer(&dealer), m_monitor(monitor) {}

  // Takes the first item (and, dealt, the one after it); the list must be built.
  void Start();
  // Moves to the next item to show.
  void Advance();
  // The item being shown; the list must not be empty.
  size_t CurrentIndex() const;
  const std::string& Current() const { return m_list->Files()[CurrentIndex()]; }
  // The indices the next Advance calls reach, at most `count`: the list's own look ahead, or
  // for dealt items the one this show holds next.
  std::vector<size_t> Upcoming(size_t count) const;

  bool Empty() const { return m_list->Empty(); }
  size_t Size() const { return m_list->Size(); }
  const std::vector<std::string>& Files() const { return m_list->Files(); }
  bool IsMovie(const std::string& path) const { return m_list->IsMovie(path); }
  const CycleState* CycleProgress() const { return m_list->CycleProgress(); }

 private:
  MediaList* m_list;
  ItemDealer* m_dealer = nullptr;
  size_t m_monitor = 0;
};

}  // namespace glintora
