#include "core/show/item_dealer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/base/random.h"
#include "core/show/media_list.h"
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

// One dealing: the list, the monitors, and the order in which they take their turns (one
// letter a turn, 'a' monitor 0; a monitor held by a movie takes fewer turns).
struct DealCase {
  const char* what;
  size_t items, monitors;
  bool random;
  const char* turns;
  int rounds;  // times the turns are repeated
};

TEST(ItemDealer, NoItemOnTwoMonitorsAtOnceAndEachOnceACycle) {
  const DealCase cases[] = {
      {"two monitors, shuffled", 7, 2, true, "ab", 40},
      {"three monitors, shuffled", 10, 3, true, "abc", 40},
      {"one monitor held by a movie", 9, 3, true, "aabaac", 40},
      {"just more items than monitors", 3, 2, true, "ab", 60},
      {"list order", 5, 2, false, "ab", 20},
  };
  for (const DealCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (uint32_t seed : {1u, 2026u, 77777u}) {
      MediaList list = BuiltList(c.items, c.random, seed);
      ItemDealer dealer(list, c.monitors);
      std::vector<size_t> dealt;
      for (int round = 0; round < c.rounds; ++round) {
        for (const char* t = c.turns; *t; ++t) {
          const auto monitor = static_cast<size_t>(*t - 'a');
          const std::optional<size_t> before = dealer.Showing(monitor);
          const size_t index = dealer.Deal(monitor);
          ASSERT_LT(index, c.items);
          EXPECT_NE(before, index) << "the monitor shows the same item again at deal " << dealt.size();
          for (size_t m = 0; m < c.monitors; ++m) {
            if (m != monitor) {
              EXPECT_NE(dealer.Showing(m), index) << "on two monitors at deal " << dealt.size();
            }
          }
          dealt.push_back(index);
        }
      }
      // The first cycle deals every item once; later ones only move an item at a seam a few
      // deals on, so after k cycles every item came k times, give or take one.
      std::map<size_t, int> firstCycle;
      for (size_t i = 0; i < c.items; ++i) ++firstCycle[dealt[i]];
      EXPECT_EQ(firstCycle.size(), c.items);
      const size_t cycles = dealt.size() / c.items;
      std::map<size_t, int> counts;
      for (size_t i = 0; i < cycles * c.items; ++i) ++counts[dealt[i]];
      for (const auto& [index, count] : counts) {
        EXPECT_GE(count, static_cast<int>(cycles) - 1) << "item " << index;
        EXPECT_LE(count, static_cast<int>(cycles) + 1) << "item " << index;
      }
      if (!c.random) {
        for (size_t i = 0; i < dealt.size(); ++i) EXPECT_EQ(dealt[i], i % c.items) << "list order at deal " << i;
      }
    }
  }
}

TEST(ItemDealer, OneMonitorWalksTheListAsASingleShowDoes) {
  // The shuffles draw from the one random sequence: the plain walk is taken first, whole.
  MediaList plainList = BuiltList(4, true, 99);
  std::vector<size_t> plain{plainList.CurrentIndex()};
  for (int i = 0; i < 40; ++i) {
    plainList.Advance();
    plain.push_back(plainList.CurrentIndex());
  }
  MediaList dealtList = BuiltList(4, true, 99);
  ItemDealer dealer(dealtList, 1);
  for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(dealer.Deal(0), plain[i]) << "deal " << i;
}

TEST(ItemDealer, MoreMonitorsThanItemsShareRatherThanGoBlank) {
  MediaList list = BuiltList(2, true, 5);
  ItemDealer dealer(list, 3);
  std::map<size_t, int> seen;
  for (int i = 0; i < 30; ++i) ++seen[dealer.Deal(static_cast<size_t>(i % 3))];
  EXPECT_EQ(seen.size(), 2u) << "both items are shown";
  dealer.Clear(1);
  EXPECT_FALSE(dealer.Showing(1).has_value());
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
