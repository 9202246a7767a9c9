#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "core/image/memory_device.h"
#include "core/transitions/blend.h"
#include "core/transitions/catalogue.h"
#include "core/transitions/engine.h"
#include "core/transitions/pacing.h"
#include "fakes.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::Pattern;
using testing::SamePixels;
using testing::ScriptedClock;

TEST(TransitionCatalogue, NamesStringsAndFamilies) {
  std::set<int> strings;
  for (int id = 0; id < kTransitionCount; ++id) {
    const TransitionInfo& info = GetTransitionInfo(id);
    EXPECT_NE(std::string(info.name), "") << id;
    strings.insert(info.stringId);
    const TransitionFamily expected = id == 0    ? TransitionFamily::Blend
                                      : id <= 54 ? TransitionFamily::Rectangle
                                      : id <= 90 ? TransitionFamily::Mask
                                                 : TransitionFamily::OpenGL;
    EXPECT_EQ(info.family, expected) << id;
    if (id != 92 && id != 93) {
      EXPECT_EQ(info.stringId, 8001 + id) << id;
    }
  }
  EXPECT_EQ(strings.size(), 101u);
  EXPECT_EQ(GetTransitionInfo(92).stringId, 8094);
  EXPECT_EQ(GetTransitionInfo(93).stringId, 8093);
  EXPECT_STREQ(GetTransitionInfo(0).name, "Fade in/out");
  EXPECT_STREQ(GetTransitionInfo(47).name, "Expand and Compress from Letf");
  EXPECT_STREQ(GetTransitionInfo(90).name, "Twirl");
  EXPECT_STREQ(GetTransitionInfo(100).name, "[3D] Explosion");
}

TEST(TransitionChoice, PicksUniformlyByTheScaledRandomValue) {
  uint8_t enabled[kTransitionCount] = {};
  EXPECT_EQ(ChooseTransition(enabled, 0), -1);
  enabled[3] = 1;
  EXPECT_EQ(ChooseTransition(enabled, 0), 3);
  EXPECT_EQ(ChooseTransition(enabled, 32767), 3);
  enabled[7] = 5;
  EXPECT_EQ(ChooseTransition(enabled, 16383), 3);
  EXPECT_EQ(ChooseTransition(enabled, 16384), 7);
  EXPECT_EQ(ChooseTransition(enabled, 32767), 7);
}

// Runs a pacer and records the progress of every rendered frame; the counter (at
// `frequency`) and the tick count move by `frameMs` per frame.
std::vector<float> Pace(float seconds, bool blend, float frameMs, int64_t frequency = 1000000) {
  ScriptedClock clock;
  clock.frequency = frequency;
  FramePacer pacer(seconds, clock, blend);
  pacer.Start();
  std::vector<float> progress;
  do {
    progress.push_back(pacer.Progress());
    clock.counter += static_cast<int64_t>(frameMs * frequency / 1000);
    clock.tick += static_cast<uint32_t>(frameMs);
  } while (pacer.Advance() && progress.size() < 10000);
  return progress;
}

TEST(TransitionPacing, FixedStepsWithoutADuration) {
  const std::vector<float> frames = Pace(0, false, 5);
  ASSERT_EQ(frames.size(), 31u);
  EXPECT_EQ(frames.front(), 0.0f);
  EXPECT_NEAR(frames[1], 1.0f / 30, 1e-6);
  EXPECT_NEAR(frames[29], 29.0f / 30, 1e-5);
  EXPECT_EQ(frames.back(), 1.0f);
  const std::vector<float> blend = Pace(0, true, 5);
  ASSERT_EQ(blend.size(), 30u);
  EXPECT_LT(blend.back(), 1.0f);
  // A duration that is no finite number of milliseconds paces as none: it would never end
  // (infinite, or 1e38 s) or never move (NaN).
  for (float seconds : {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 1e38f}) {
    EXPECT_EQ(Pace(seconds, false, 5), frames) << seconds;
  }
}

TEST(TransitionPacing, AdaptsToTheDuration) {
  // 10 ms frames over 1 s: about a hundred frames, ending at p = 1.
  const std::vector<float> frames = Pace(1.0f, false, 10);
  EXPECT_GE(frames.size(), 95u);
  EXPECT_LE(frames.size(), 101u);
  for (size_t i = 1; i < frames.size(); ++i) ASSERT_GT(frames[i], frames[i - 1]);
  // A first frame that outlasts the duration ends the animation after it.
  EXPECT_EQ(Pace(0.5f, false, 600).size(), 1u);
}

TEST(TransitionPacing, ACounterWithoutAFrequencyStillEndsInTime) {
  // The counter runs but reports 0 counts a second: timed by the tick count, 10 ms frames
  // over 1 s still end at p = 1 after about a hundred frames.
  const std::vector<float> frames = Pace(1.0f, false, 10, /*frequency=*/0);
  EXPECT_GE(frames.size(), 95u);
  EXPECT_LE(frames.size(), 101u);
  EXPECT_EQ(frames.back(), 1.0f);
}

TEST(Blend, VectorAndTablePathsAgreeWithinOneLevel) {
  auto oldFrame = Pattern<CvxColor8>(37, 11, 1);
  auto newFrame = Pattern<CvxColor8>(37, 11, 2);
  CvxImageColor8 vector(37, 11, true);
  CvxImageColor8 table(37, 11, true);
  for (int a : {0, 1, 77, 128, 200, 255, 256}) {
    BlendFrameVector(*oldFrame, *newFrame, a, vector);
    BlendFrameTable(*oldFrame, *newFrame, a, table);
    for (int y = 0; y < 11; ++y) {
      for (int x = 0; x < 37; ++x) {
        for (int ch = 0; ch < 3; ++ch) {
          const int o = oldFrame->At(x, y).c[ch];
          const int n = newFrame->At(x, y).c[ch];
          const int weight = a == 256 ? 255 : a;
          ASSERT_EQ(vector.At(x, y).c[ch], (weight * n + (256 - weight) * o) >> 8) << a;
          ASSERT_LE(std::abs(vector.At(x, y).c[ch] - table.At(x, y).c[ch]), 1) << a;
        }
      }
    }
    if (a == 0) {
      EXPECT_TRUE(SamePixels(vector, *oldFrame));
      EXPECT_TRUE(SamePixels(table, *oldFrame));
    }
  }
}

TEST(Blend, EachPathRoundsItsOwnWay) {
  // Old 100, new 200. The vector path weighs the sum and cuts once: (a·200 + (256 − a)·100)
  // >> 8, with a = 256 taken as 255. The table path cuts each share on its own.
  CvxImageColor8 oldFrame(1, 1, true), newFrame(1, 1, true), out(1, 1, true);
  oldFrame.At(0, 0) = CvxColor8(100, 100, 100);
  newFrame.At(0, 0) = CvxColor8(200, 200, 200);
  struct Case {
    int a;
    int vector, table;
  };
  for (const Case& c : {Case{77, 130, 129}, Case{256, 199, 200}, Case{1, 100, 99}}) {
    BlendFrameVector(oldFrame, newFrame, c.a, out);
    EXPECT_EQ(out.At(0, 0).c[0], c.vector) << "vector, a = " << c.a;
    BlendFrameTable(oldFrame, newFrame, c.a, out);
    EXPECT_EQ(out.At(0, 0).c[0], c.table) << "table, a = " << c.a;
  }
}

struct FrameCounter {
  int calls = 0;
  int stopAt = -1;  // the call that returns false
  static bool Continue(void* context) {
    auto* self = static_cast<FrameCounter*>(context);
    return ++self->calls != self->stopAt;
  }
};

class TransitionRun : public ::testing::Test {
 protected:
  TransitionRun()
      : m_old(Pattern<CvxColor8>(40, 30, 3)), m_new(Pattern<CvxColor8>(40, 30, 4)), m_screen(40, 30, true),
        m_device(m_screen) {
    m_options.clock = &m_clock;
    m_screen.Paste(m_old.get(), 0, 0);
  }
  bool Run(int id, FrameCounter& counter, BlendPath path = BlendPath::Automatic) {
    m_options.blendPath = path;
    return RunTransition(m_device, {0, 0, 40, 30}, *m_old, *m_new, id, 0.0f, &FrameCounter::Continue, &counter,
                         m_options);
  }
  std::unique_ptr<CvxImageColor8> m_old, m_new;
  CvxImageColor8 m_screen;
  MemoryDevice m_device;
  ScriptedClock m_clock;
  TransitionOptions m_options;
};

TEST_F(TransitionRun, BlendRunsThirtyFramesAndEndsOnTheNewFrame) {
  for (BlendPath path : {BlendPath::Vector, BlendPath::Table}) {
    FrameCounter counter;
    EXPECT_TRUE(Run(0, counter, path));
    EXPECT_EQ(counter.calls, 30);
    EXPECT_TRUE(SamePixels(m_screen, *m_new));
    m_screen.Paste(m_old.get(), 0, 0);
  }
}

TEST_F(TransitionRun, StoppedOnTheFirstCallDrawsNothing) {
  FrameCounter counter;
  counter.stopAt = 1;
  EXPECT_FALSE(Run(0, counter));
  EXPECT_EQ(counter.calls, 1);
  EXPECT_TRUE(SamePixels(m_screen, *m_old));
}

TEST_F(TransitionRun, UnknownIdentifiersDrawTheNewFrameAtOnce) {
  for (int id : {-1, 101}) {
    FrameCounter counter;
    EXPECT_TRUE(Run(id, counter));
    EXPECT_EQ(counter.calls, 0);
    EXPECT_TRUE(SamePixels(m_screen, *m_new));
    m_screen.Paste(m_old.get(), 0, 0);
  }
  uint8_t none[kTransitionCount] = {};
  FrameCounter counter;
  EXPECT_TRUE(RunRandomTransition(m_device, {0, 0, 40, 30}, *m_old, *m_new, none, 1.0f, &FrameCounter::Continue,
                                  &counter, m_options));
  EXPECT_EQ(counter.calls, 0);
  EXPECT_TRUE(SamePixels(m_screen, *m_new));
}

// A new frame smaller than the old one: the pixel families, which read both frames row by
// row, animate nothing; every family reads the new frame only through drawing, which takes
// nothing from outside it (the sanitizer build catches any read past its rows), and the
// screen ends with the new frame where it lies.
TEST_F(TransitionRun, ANewFrameSmallerThanTheOldIsNeverReadPastItsRows) {
  const auto smaller = Pattern<CvxColor8>(20, 10, 5);
  for (int id = 0; id <= 90; ++id) {
    m_screen.Paste(m_old.get(), 0, 0);
    FrameCounter counter;
    EXPECT_TRUE(RunTransition(m_device, {0, 0, 40, 30}, *m_old, *smaller, id, 0.0f, &FrameCounter::Continue,
                              &counter, m_options))
        << id;
    if (GetTransitionInfo(id).family != TransitionFamily::Rectangle) {
      EXPECT_EQ(counter.calls, 0) << id;
    }
    auto shown = m_screen.Crop(0, 0, 20, 10);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(SamePixels(*shown, *smaller)) << id;
  }
}

}  // namespace
}  // namespace glintora
