// Shuffled cycles that go on from one run of the saver to the next, kept in an in-memory
// settings store: short runs show every item once per cycle, a folder changed between runs
// finishes its cycle over what is there, and a damaged state starts a new cycle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "core/settings/memory_profile_store.h"
#include "core/show/media_list.h"
#include "core/show/shuffle_cycle.h"
#include "fakes.h"

namespace glintora {
namespace {

using Bag = std::multiset<std::string>;
constexpr int64_t kLongAgo = 1000;  // when the folder's first files were made

class ResumedShuffle : public ::testing::Test {
 protected:
  ResumedShuffle() { m_clock.calendarSeconds = 100000; }
  std::vector<std::string> Add(const std::string& prefix, int count, int64_t created) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
      m_fs.Add(m_folder, prefix + std::to_string(i) + ".jpg", created);
      paths.push_back(m_folder + "\\" + prefix + std::to_string(i) + ".jpg");
    }
    return paths;
  }
  // One run of the saver, later than the last: goes on from the kept state, shows `count`
  // items and keeps where it got to.
  std::vector<std::string> Run(int count) {
    m_clock.calendarSeconds += 600;
    m_clock.counter += 7919;
    MediaList list;
    list.ContinueShuffle(LoadCycleState(m_store), m_clock);
    EXPECT_TRUE(list.Build(m_fs, m_folder, false, true, /*random=*/true));
    // What decoding ahead is told comes next must be what the show then gives.
    const std::vector<size_t> upcoming = list.Upcoming(static_cast<size_t>(count));
    std::vector<std::string> shown;
    for (int i = 0; i < count; ++i) {
      if (i > 0) list.Advance();
      if (i > 0 && static_cast<size_t>(i) <= upcoming.size()) {
        EXPECT_EQ(list.CurrentIndex(), upcoming[i - 1]);
        ++m_checkedAhead;
      }
      shown.push_back(list.Current());
    }
    StoreCycleState(m_store, *list.CycleProgress());
    m_cycleStart = list.CycleProgress()->started;
    return shown;
  }

  std::string m_folder = "D:\\Photos";
  testing::FakeFileSystem m_fs;
  MemoryProfileStore m_store;
  testing::ScriptedClock m_clock;
  int64_t m_cycleStart = 0;  // when the cycle of the last run began
  int m_checkedAhead = 0;    // steps where the announced next item was compared
  void TearDown() override { EXPECT_GT(m_checkedAhead, 0); }
};

TEST_F(ResumedShuffle, ShortRunsShowEveryItemOncePerCycle) {
  for (const int count : {5, 37, 1000}) {
    m_folder = "D:\\" + std::to_string(count);
    const std::vector<std::string> all = Add("p", count, kLongAgo);
    std::vector<std::string> shown;
    for (int run = 0; shown.size() < 3 * all.size(); ++run) {
      const std::vector<std::string> part = Run(1 + run % 7);
      shown.insert(shown.end(), part.begin(), part.end());
    }
    for (int cycle = 0; cycle < 3; ++cycle) {
      const auto first = shown.begin() + cycle * count;
      EXPECT_EQ(Bag(first, first + count), Bag(all.begin(), all.end())) << count << " items, cycle " << cycle;
    }
    if (count > 5) {
      EXPECT_FALSE(std::equal(all.begin(), all.end(), shown.begin() + count)) << "shuffled";
    }
  }
}

TEST_F(ResumedShuffle, AChangedFolderFinishesItsCycleOverWhatIsThere) {
  const std::vector<std::string> old = Add("old", 20, kLongAgo);
  const std::vector<std::string> first = Run(8);
  std::vector<std::string> waiting;
  std::copy_if(old.begin(), old.end(), std::back_inserter(waiting),
               [&](const std::string& path) { return std::count(first.begin(), first.end(), path) == 0; });
  // Two shown and two waiting files go; four are copied in after the cycle began.
  const std::string gone[] = {first[1], first[5], waiting[0], waiting[3]};
  for (const std::string& path : gone) m_fs.Remove(m_folder, path.substr(m_folder.size() + 1));
  const std::vector<std::string> added = Add("new", 4, m_clock.calendarSeconds + 60);
  const auto present = [&](const std::vector<std::string>& paths) {
    Bag bag;
    for (const std::string& path : paths) {
      if (std::count(std::begin(gone), std::end(gone), path) == 0) bag.insert(path);
    }
    return bag;
  };

  // The rest of the cycle: the waiting files still there and every new one, once each.
  std::vector<std::string> rest;
  for (const int length : {3, 5, 4, 2}) {
    const std::vector<std::string> part = Run(length);
    rest.insert(rest.end(), part.begin(), part.end());
  }
  Bag expected = present(waiting);
  expected.insert(added.begin(), added.end());
  EXPECT_EQ(Bag(rest.begin(), rest.end()), expected);

  // Then a new cycle over everything there.
  const std::vector<std::string> next = Run(20);
  expected = present(old);
  expected.insert(added.begin(), added.end());
  EXPECT_EQ(Bag(next.begin(), next.end()), expected);
  EXPECT_EQ(m_cycleStart, m_clock.calendarSeconds);
}

TEST_F(ResumedShuffle, ADamagedOrForeignStateStartsANewCycle) {
  const std::vector<std::string> all = Add("p", 12, kLongAgo);
  const auto flipped = [](size_t at) {
    return [at](std::vector<uint8_t> bytes) {
      bytes[at] ^= 0x41;
      return RegistryValue::Binary(bytes);
    };
  };
  const struct {
    const char* what;
    std::function<RegistryValue(std::vector<uint8_t>)> damage;
  } cases[] = {
      {"a changed rank", flipped(22)},
      {"a changed check", flipped(47)},
      {"one byte short", [](std::vector<uint8_t> b) { return RegistryValue::Binary({b.begin(), b.end() - 1}); }},
      {"text", [](std::vector<uint8_t> b) { return RegistryValue{kRegSz, b}; }},
      {"a number", [](std::vector<uint8_t>) { return RegistryValue::Dword(5); }},
      {"kept for another folder",
       [](std::vector<uint8_t> b) {
         CycleState state = *DecodeCycleState(b);
         state.scope = FolderDigest("E:\\Elsewhere");
         return RegistryValue::Binary(EncodeCycleState(state));
       }},
  };
  for (const auto& c : cases) {
    m_store.DeleteValue("", kShuffleCycleValue);
    Run(5);
    m_store.WriteValue("", kShuffleCycleValue, c.damage(m_store.ReadValue("", kShuffleCycleValue)->data));
    Run(7);
    EXPECT_EQ(m_cycleStart, m_clock.calendarSeconds) << c.what << ": a new cycle began";
  }
  // Intact, the cycle goes on with the seven not yet shown.
  m_store.DeleteValue("", kShuffleCycleValue);
  const std::vector<std::string> first = Run(5);
  Bag shown(first.begin(), first.end());
  const int64_t start = m_cycleStart;
  for (const std::string& path : Run(7)) shown.insert(path);
  EXPECT_EQ(m_cycleStart, start);
  EXPECT_EQ(shown, Bag(all.begin(), all.end()));
}

// A cycle's two lanes with their ranks placed by hand: items are picked whose ranks under a
// fixed key lie near chosen shares of the rank range.
class ShuffleLanes : public ::testing::Test {
 protected:
  static constexpr uint64_t kKey = 0x243F6A8885A308D3u;
  static constexpr uint64_t kScope = 77;
  static constexpr int64_t kStarted = 50'000;

  // An item whose rank lies within a thousandth of the range of `share`.
  CycleItem Ranked(double share, int64_t created) {
    for (;; ++m_digest) {
      const double at = static_cast<double>(CycleRank(kKey, m_digest)) / 18446744073709551616.0;
      if (std::abs(at - share) < 0.001) return {m_digest++, created};
    }
  }

  uint64_t m_digest = 1;
  testing::ScriptedClock m_clock;
};

// Each step takes the lane whose next item lies nearer within what is left of that lane.
TEST_F(ShuffleLanes, TheLanesTakeTurnsByTheNearerShareOfWhatIsLeft) {
  // The old lane at 0.3, 0.5 and 0.8 of the range, the one at 0.5 made in the very second the
  // cycle began, which is still old; the new lane at 0.4 and 0.9.
  const std::vector<CycleItem> items = {Ranked(0.3, kStarted - 3600), Ranked(0.5, kStarted),
                                        Ranked(0.8, kStarted - 1), Ranked(0.4, kStarted + 1),
                                        Ranked(0.9, kStarted + 60)};
  ShuffleCycle cycle(items, kScope, CycleState{kKey, kStarted, 0, 0, kScope}, m_clock);
  // 0.3 (0.3 of the old lane against 0.4 of the new), 0.5 (0.2 of the 0.7 left, 0.29, against
  // 0.4), 0.4 (0.4 against 0.3 of 0.5, 0.6), 0.8 (0.6 against 0.5 of 0.6, 0.83), 0.9. By rank
  // alone 0.4 would come second; by distance alone 0.8 before 0.4.
  const std::vector<size_t> expected = {0, 1, 3, 2, 4};
  EXPECT_EQ(cycle.Upcoming(5), expected);
  std::vector<size_t> shown;
  for (size_t i = 0; i < expected.size(); ++i) shown.push_back(cycle.Next());
  EXPECT_EQ(shown, expected);
}

TEST_F(ShuffleLanes, ANewCycleIsDatedByItsNewestFileAndKeyedAfresh) {
  m_clock.calendarSeconds = kStarted;
  // A file dated after now, by a clock that was ahead, still belongs to the new cycle's start.
  const std::vector<CycleItem> items = {{PathDigest("a.jpg"), kStarted - 10}, {PathDigest("b.jpg"), kStarted + 500}};
  ShuffleCycle cycle(items, kScope, std::nullopt, m_clock);
  EXPECT_EQ(cycle.State().started, kStarted + 500);
  const uint64_t firstKey = cycle.State().key;
  for (int i = 0; i < 3; ++i) cycle.Next();  // the cycle's two items, then the next cycle's first
  EXPECT_EQ(cycle.State().started, kStarted + 500);
  EXPECT_NE(cycle.State().key, firstKey) << "begun at the same clock reading, keyed differently";
}

}  // namespace
}  // namespace glintora
