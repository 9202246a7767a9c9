#pragma once
// A shuffled cycle that goes on from one run of the saver to the next: no item comes twice
// before every item has come, over any number of runs, while what is kept between runs is a
// few numbers, never the list.
//
// The order of a cycle: each item's rank is a hash of its path keyed by the cycle's key, and
// the cycle shows items by rising rank. Where it has got is the rank of the last item shown,
// so an item is done exactly when its rank is at most that, whatever else the folder holds:
// removed files simply no longer come, and the ranks of the rest do not move.
//
// Files new since the cycle began (created after its start, or after the newest file there
// then, whichever is later) walk a lane of their own, by the same ranks, with their own rank
// reached, so that all of them join the rest of the cycle wherever their ranks fall. Each
// step takes the lane whose next item lies relatively nearest within what is left of that
// lane, which spreads the new files over the rest of the cycle. A file that comes back with
// its old creation time (moved back in) counts as old: if its rank is passed, it waits for
// the next cycle. When both lanes are done a new cycle begins with a new key; every file
// then present counts as old.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace glintora {

class Clock;
class ProfileStore;

// Where a cycle has got: what is kept between runs.
struct CycleState {
  uint64_t key = 0;         // orders the items (see CycleRank)
  int64_t started = 0;      // when the cycle began (or its newest file was made), seconds since 1970
  uint64_t reachedOld = 0;  // highest rank shown among files created by `started`
  uint64_t reachedNew = 0;  // highest rank shown among files created later
  uint64_t scope = 0;       // FolderDigest of the folder the cycle walks
  bool operator==(const CycleState&) const = default;
};

// The kept state: REG_BINARY value "Shuffle Cycle" of the application key, 48 bytes,
// integers little-endian:
//   offset  size  field
//    0       4    "CYC1": what the value is, and the layout's version
//    4       8    key
//   12       8    started (signed)
//   20       8    reachedOld
//   28       8    reachedNew
//   36       8    scope
//   44       4    check: the low 32 bits of PathDigest of bytes 0 to 43
inline constexpr const char* kShuffleCycleValue = "Shuffle Cycle";
inline constexpr size_t kCycleStateSize = 48;

std::vector<uint8_t> EncodeCycleState(const CycleState& state);
// Nothing for a value of another size, tag or check: a damaged value starts a new cycle.
std::optional<CycleState> DecodeCycleState(const std::vector<uint8_t>& bytes);

// The state kept in the application key; nothing when it is missing, not binary or damaged.
std::optional<CycleState> LoadCycleState(ProfileStore& store);
void StoreCycleState(ProfileStore& store, const CycleState& state);

// A 64-bit digest (FNV-1a) of the text with ASCII letters lower-cased, since the system's file
// names ignore case.
uint64_t PathDigest(std::string_view path);
// The digest of a folder setting, trailing backslashes left out.
uint64_t FolderDigest(std::string_view folder);
// An item's place in the cycle of `key`: never 0, so that a new cycle (ranks reached 0) has
// every item still to come.
uint64_t CycleRank(uint64_t key, uint64_t pathDigest);

struct CycleItem {
  uint64_t pathDigest = 0;
  int64_t created = 0;  // creation time of the item's file, seconds since 1970
};

class ShuffleCycle {
 public:
  // Continues `stored` over `items` when it walks the folder of `scope`; otherwise begins a
  // new cycle. `clock` dates new cycles and stirs their keys.
  ShuffleCycle(std::vector<CycleItem> items, uint64_t scope, const std::optional<CycleState>& stored,
               const Clock& clock);

  // The index (into the items) of the next item to show; after the last one of a cycle, the
  // first of a new cycle. The list must not be empty.
  size_t Next();
  // What the next Next calls give, at most `count` of them, up to the end of this cycle.
  std::vector<size_t> Upcoming(size_t count) const;
  const CycleState& State() const { return m_state; }

 private:
  struct Lane {
    std::vector<std::pair<uint64_t, size_t>> order;  // (rank, item index) by rising rank
    size_t next = 0;                                 // first position not yet shown
    bool Done() const { return next >= order.size(); }
  };

  // Which lane the next step takes: the one whose next item lies relatively nearer within
  // what is left of it.
  static bool TakesNew(const Lane& old, size_t oldNext, uint64_t reachedOld, const Lane& fresh, size_t newNext,
                       uint64_t reachedNew);
  void Begin();
  // Ranks the items by the state's key and puts each lane at the first item past its rank
  // reached.
  void Arrange();

  std::vector<CycleItem> m_items;
  CycleState m_state;
  const Clock& m_clock;
  Lane m_old;  // files created by the cycle's start
  Lane m_new;  // files created after it
};

}  // namespace glintora
