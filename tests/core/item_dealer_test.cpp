#include "core/show/item_dealer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/base/random.h"
#include "core/show/media_list.h"
#include "core/show/show_items.h"
#include "fakes.h"

namespace glintora {
namespace {

MediaList BuiltList(size_t items, bool random, uint32_t seed) {
  testing::FakeFileSystem fs;
  for (size_t i = 0; i < items; ++i) fs.Add("P", std::to_string(i) + ".jpg");
  SeedRandom(seed);
  MediaList list;
  EXPECT_TRUE(list.Build(fs, "P", false, false, random));
  return list;
}

bool HeldByAnotherMonitor(const ItemDealer& dealer, size_t monitor, size_t index) {
  for (size_t m = 0; m < dealer.Monitors(); ++m) {
    const std::vector<size_t>& held = dealer.Holding(m);
    if (m != monitor && std::find(held.begin(), held.end(), index) != held.end()) return true;
  }
  return false;
}

// One dealing: the list, the monitors, and the order in which their shows change (one letter
// a change, 'a' monitor 0; a monitor held by a movie changes less often).
struct DealCase {
  const char* what;
  size_t items, monitors;
  bool random;
  const char* turns;
  int rounds;  // times the turns are repeated
};

TEST(ItemDealer, NoItemOnTwoMonitorsAtOnceAndEachAtMostOnceACycle) {
  const DealCase cases[] = {
      {"two monitors, shuffled", 7, 2, true, "ab", 40},
      {"three monitors, shuffled", 10, 3, true, "abc", 40},
      {"one monitor held by a movie", 9, 3, true, "aabaac", 40},
      {"one item more than the monitors hold", 5, 2, true, "ab", 60},
      {"list order", 5, 2, false, "ab", 20},
  };
  for (const DealCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (uint32_t seed : {1u, 2026u, 77777u}) {
      // The list's own walk, taken first: the shuffles draw from the one random sequence.
      MediaList twin = BuiltList(c.items, c.random, seed);
      std::vector<size_t> walk{twin.CurrentIndex()};
      for (size_t i = 0; i < c.items * static_cast<size_t>(c.rounds) * 2; ++i) {
        twin.Advance();
        walk.push_back(twin.CurrentIndex());
      }
      MediaList list = BuiltList(c.items, c.random, seed);
      ItemDealer dealer(list, c.monitors);
      std::vector<std::unique_ptr<ShowItems>> shows;
      size_t reached = 0;  // how far along the list's walk the deals have come
      // Each deal is the walk's next item that no monitor holds: the ones passed over are on
      // screen, so every item comes at most once a cycle and never early.
      const auto expectDealtInTurn = [&](size_t index) {
        while (reached < walk.size() && walk[reached] != index) {
          bool held = false;
          for (size_t m = 0; m < c.monitors; ++m) {
            const std::vector<size_t>& h = dealer.Holding(m);
            held = held || std::find(h.begin(), h.end(), walk[reached]) != h.end();
          }
          EXPECT_TRUE(held) << "item " << walk[reached] << " passed over at walk step " << reached;
          ++reached;
        }
        ASSERT_LT(reached, walk.size()) << "item " << index << " is not the walk's";
        ++reached;
      };
      for (size_t m = 0; m < c.monitors; ++m) {
        shows.push_back(std::make_unique<ShowItems>(list, dealer, m));
        shows.back()->Start();
        for (size_t index : dealer.Holding(m)) expectDealtInTurn(index);
      }
      for (int round = 0; round < c.rounds; ++round) {
        for (const char* t = c.turns; *t; ++t) {
          const auto monitor = static_cast<size_t>(*t - 'a');
          ShowItems& show = *shows[monitor];
          const size_t before = show.CurrentIndex();
          const std::vector<size_t> next = show.Upcoming(4);
          ASSERT_EQ(next.size(), 1u);
          show.Advance();
          ASSERT_EQ(show.CurrentIndex(), next[0]) << "the show reaches what it loaded ahead";
          EXPECT_NE(show.CurrentIndex(), before) << "the same item again at walk step " << reached;
          for (size_t index : dealer.Holding(monitor)) {
            EXPECT_FALSE(HeldByAnotherMonitor(dealer, monitor, index)) << "on two monitors, step " << reached;
          }
          expectDealtInTurn(dealer.Holding(monitor).back());
        }
      }
      EXPECT_GT(reached, c.items * 4) << "the deals walked several cycles";
    }
  }
}

TEST(ItemDealer, AShowOfItsOwnWalksTheWholeList) {
  MediaList list = BuiltList(6, true, 99);
  MediaList same = BuiltList(6, true, 99);
  ShowItems show(list);
  show.Start();
  EXPECT_EQ(show.CurrentIndex(), same.CurrentIndex());
  EXPECT_EQ(show.Upcoming(3), same.Upcoming(3));
  show.Advance();
  same.Advance();
  EXPECT_EQ(show.Current(), same.Current());
}

TEST(ItemDealer, MoreMonitorsThanItemsShareRatherThanGoBlank) {
  MediaList list = BuiltList(2, true, 5);
  ItemDealer dealer(list, 3);
  std::map<size_t, int> seen;
  for (int i = 0; i < 30; ++i) {
    const auto monitor = static_cast<size_t>(i % 3);
    if (i >= 3) dealer.Release(monitor);
    ++seen[dealer.Deal(monitor)];
  }
  EXPECT_EQ(seen.size(), 2u) << "both items are shown";
}

TEST(ItemDealer, StaggeredStartsSpreadOnePeriodOverTheMonitors) {
  EXPECT_EQ(StaggeredStart(0, 3, 9000), 0u);
  EXPECT_EQ(StaggeredStart(1, 3, 9000), 3000u);
  EXPECT_EQ(StaggeredStart(2, 3, 10000), 6666u);
  EXPECT_EQ(StaggeredStart(1, 2, 4294967295u), 2147483647u) << "no overflow at the timer's largest period";
  EXPECT_EQ(StaggeredStart(3, 3, 9000), 0u) << "no such monitor";
}

}  // namespace
}  // namespace glintora
