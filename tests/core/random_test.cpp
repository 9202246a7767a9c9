#include <gtest/gtest.h>

#include "core/base/random.h"
#include "core/base/stopwatch.h"
#include "fakes.h"

namespace glintora {
namespace {

using testing::ScriptedClock;

TEST(NextRandom, FollowsTheLinearCongruentialSequence) {
  // The classic sequence of this generator from seed 1.
  SeedRandom(1);
  for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
    EXPECT_EQ(NextRandom(), expected);
  }
}

TEST(NextRandom, StaysWithinFifteenBitsAndWrapsTheState) {
  SeedRandom(0xFFFFFFFFu);
  int highest = 0;
  int lowest = kRandomMax;
  for (int i = 0; i < 200000; ++i) {
    const int value = NextRandom();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, kRandomMax);
    highest = std::max(highest, value);
    lowest = std::min(lowest, value);
  }
  EXPECT_EQ(highest, kRandomMax);
  EXPECT_EQ(lowest, 0);
}

TEST(NextRandom, SeedsFromTheLowSixteenBitsOfTheCounterElseTheCalendar) {
  ScriptedClock clock;
  clock.counter = 0x12345678;
  clock.calendarSeconds = 1700000000;
  EXPECT_EQ(InitialRandomSeed(clock), 0x5678u);
  clock.counterWorks = false;
  EXPECT_EQ(InitialRandomSeed(clock), 1700000000u);
}

// A state whose next value is `wanted`.
uint32_t StateYielding(int wanted) {
  for (uint32_t s = 0;; ++s) {
    if (StepRandom(s).value == wanted) return s;
  }
}

TEST(RandomBetween, ReachesBothEnds) {
  SeedRandom(StateYielding(0));
  EXPECT_EQ(RandomBetween(2.0f, 5.0f), 2.0f);
  SeedRandom(StateYielding(kRandomMax));
  EXPECT_FLOAT_EQ(RandomBetween(2.0f, 5.0f), 5.0f);
  SeedRandom(StateYielding(kRandomMax));
  EXPECT_FLOAT_EQ(RandomBetween(-1.0f, 1.0f), 1.0f);
}

TEST(RandomBetween, ScalesByOneOver32767) {
  SeedRandom(StateYielding(16384));
  EXPECT_FLOAT_EQ(RandomBetween(0.0f, 32767.0f), 16384.0f);
  SeedRandom(StateYielding(100));
  EXPECT_FLOAT_EQ(RandomBetween(10.0f, 0.0f), 10.0f - 100.0f * 10.0f / 32767.0f);
}

TEST(Stopwatch, AccumulatesRunningSpansInMilliseconds) {
  ScriptedClock clock;
  clock.frequency = 2000000;  // 2 MHz
  Stopwatch watch(clock);
  watch.Init();
  EXPECT_EQ(watch.Elapsed(), 0.0f);

  clock.counter = 1000;
  watch.Start();
  clock.counter = 1000 + 3000;  // 1.5 ms
  EXPECT_FLOAT_EQ(watch.Elapsed(), 1.5f);

  watch.Pause();
  clock.counter += 2000000;  // paused time does not count
  EXPECT_FLOAT_EQ(watch.Elapsed(), 1.5f);
  watch.Pause();  // pausing twice adds nothing
  EXPECT_FLOAT_EQ(watch.Elapsed(), 1.5f);

  watch.Start();
  clock.counter += 20000;  // 10 ms more
  EXPECT_FLOAT_EQ(watch.Elapsed(), 11.5f);

  watch.Reset();
  EXPECT_FALSE(watch.IsRunning());
  EXPECT_EQ(watch.Elapsed(), 0.0f);
}

TEST(Stopwatch, TimesWithTheTickCountWhereTheCounterCannotServe) {
  struct Case {
    const char* what;
    bool init;
    int64_t frequency;
    bool counterWorks;
  };
  const Case cases[] = {
      {"Init never called", false, 1000000, true},
      {"a frequency of 0", true, 0, true},
      {"no counter", true, 1000000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedClock clock;
    clock.frequency = c.frequency;
    clock.counterWorks = c.counterWorks;
    clock.tick = 0xFFFFFFF0u;  // 16 ms before the count wraps
    Stopwatch watch(clock);
    if (c.init) watch.Init();
    watch.Start();
    clock.tick += 40;  // wraps
    clock.counter += 7000000;  // the counter's 7 s must not count
    EXPECT_FLOAT_EQ(watch.Elapsed(), 40.0f);
  }
}

TEST(Stopwatch, SystemClockMovesForward) {
  Stopwatch watch;
  watch.Init();
  watch.Start();
  float last = watch.Elapsed();
  EXPECT_GE(last, 0.0f);
  for (int i = 0; i < 1000; ++i) {
    const float now = watch.Elapsed();
    ASSERT_GE(now, last);
    last = now;
  }
}

}  // namespace
}  // namespace glintora
