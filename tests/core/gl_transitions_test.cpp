// The 3D transitions with real OpenGL rendering off screen into the memory device: what each
// scene shows at its ends and on the way, where it stands on the device, the pacing with
// the texture uploads counted, and what every way of ending leaves behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "core/base/random.h"
#include "core/image/memory_device.h"
#include "core/transitions/engine.h"
#include "fakes.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::SamePixels;
using testing::ScriptedClock;

// The frame stands at (2, 3) on a 100 × 71 screen: 3 rows above it, 4 below.
constexpr int kOriginX = 2, kOriginY = 3;
constexpr int kWidth = 96, kHeight = 64;

// At least two pixels in from the frame's edges, where a texture blends with its opposite
// edge.
int Distance(const CvxImageColor8& screen, const CvxImageColor8& expected) {
  return testing::LargestDifference(screen, kOriginX, kOriginY, expected, 2);
}

bool Lit(const CvxImageColor8& screen, int x, int y) {
  const CvxColor8& p = screen.At(x, y);
  return p.c[0] + p.c[1] + p.c[2] > 30;
}

// True when the lit pixels around the frame's edges are exactly the frame's rectangle.
bool CoversExactlyTheFrame(const CvxImageColor8& screen) {
  for (int x = kOriginX; x < kOriginX + kWidth; ++x) {
    if (!Lit(screen, x, kOriginY) || !Lit(screen, x, kOriginY + kHeight - 1) || Lit(screen, x, kOriginY - 1) ||
        Lit(screen, x, kOriginY + kHeight)) {
      return false;
    }
  }
  for (int y = kOriginY; y < kOriginY + kHeight; ++y) {
    if (!Lit(screen, kOriginX, y) || !Lit(screen, kOriginX + kWidth - 1, y) || Lit(screen, kOriginX - 1, y) ||
        Lit(screen, kOriginX + kWidth, y)) {
      return false;
    }
  }
  return true;
}

// A seed after which the first random value, r0, is `r0Mod4` modulo 4.
uint32_t SeedForR0(int r0Mod4) {
  uint32_t seed = 1;
  while (StepRandom(seed).value % 4 != r0Mod4) ++seed;
  return seed;
}

enum class OpenGl { Offscreen, None, NoContext };

// The memory device with its OpenGL area watched (presents and releases counted), or
// with no OpenGL, or with an area that got no context.
class WatchedDevice final : public DrawingDevice {
 public:
  explicit WatchedDevice(CvxImageColor8& screen) : m_memory(screen) {}
  void SetStretchModeColorOnColor() override {}
  int StretchDIBits(int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* bits,
                    const BitmapInfo& info) override {
    return m_memory.StretchDIBits(xd, yd, wd, hd, xs, ys, ws, hs, bits, info);
  }
  void SetViewportOrigin(int x, int y) override { m_memory.SetViewportOrigin(x, y); }
  void GetViewportOrigin(int& x, int& y) const override { m_memory.GetViewportOrigin(x, y); }
  std::unique_ptr<GlArea> OpenGlArea() override {
    if (openGl == OpenGl::None) return nullptr;
    ++areas;
    return std::make_unique<Area>(openGl == OpenGl::Offscreen ? m_memory.OpenGlArea() : nullptr, *this);
  }

  OpenGl openGl = OpenGl::Offscreen;
  int areas = 0, presents = 0, releases = 0;

 private:
  class Area final : public GlArea {
   public:
    Area(std::unique_ptr<GlArea> real, WatchedDevice& device) : m_real(std::move(real)), m_device(device) {}
    bool HasContext() const override { return m_real && m_real->HasContext(); }
    int SurfaceHeight() const override { return m_real ? m_real->SurfaceHeight() : 0; }
    void Present() override {
      ++m_device.presents;
      m_real->Present();
    }
    void Release() override {
      ++m_device.releases;
      if (m_real) m_real->Release();
    }

   private:
    std::unique_ptr<GlArea> m_real;
    WatchedDevice& m_device;
  };
  MemoryDevice m_memory;
};

class GlTransition : public ::testing::Test {
 protected:
  // Runs `id` from old to new on a black screen, keeping the screen as the callback saw it
  // on the calls in `wanted` (call n comes right after the n-th presented frame).
  bool Run(int id, float seconds, std::set<int> wanted = {}, int stopAt = -1) {
    m_screen.FillRect(0, 0, m_screen.m_width, m_screen.m_height, CvxColor8(0, 0, 0));
    m_device.SetViewportOrigin(kOriginX, kOriginY);
    m_device.presents = m_device.releases = m_device.areas = 0;
    m_calls = 0;
    m_shots.clear();
    m_wanted = std::move(wanted);
    m_stopAt = stopAt;
    m_options.clock = &m_clock;
    return RunTransition(m_device, {0, 0, kWidth, kHeight}, *m_old, *m_new, id, seconds, &Continue, this, m_options);
  }
  static bool Continue(void* context) {
    auto* self = static_cast<GlTransition*>(context);
    ++self->m_calls;
    if (self->m_wanted.count(self->m_calls)) {
      self->m_shots[self->m_calls] = std::make_unique<CvxImageColor8>(self->m_screen);
    }
    self->m_clock.counter += self->m_frameMicroseconds;
    return self->m_calls != self->m_stopAt;
  }
  // The screen as the callback saw it on call n.
  const CvxImageColor8& Shot(int n) {
    if (!m_shots[n]) {
      ADD_FAILURE() << "no frame " << n;
      m_shots[n] = std::make_unique<CvxImageColor8>(m_screen);
    }
    return *m_shots[n];
  }
  // After the run: the device's origin is back, every area made was released, and the
  // screen shows the new frame exactly when the transition ended normally.
  void ExpectLeftClean(bool endedOnNew) {
    int x = 0, y = 0;
    m_device.GetViewportOrigin(x, y);
    EXPECT_EQ(x, kOriginX);
    EXPECT_EQ(y, kOriginY);
    EXPECT_EQ(m_device.releases, m_device.areas);
    auto frame = m_screen.Crop(kOriginX, kOriginY, kWidth, kHeight);
    EXPECT_EQ(SamePixels(*frame, *m_new), endedOnNew);
  }

  std::unique_ptr<CvxImageColor8> m_old = testing::Ramps(kWidth, kHeight, 60);
  std::unique_ptr<CvxImageColor8> m_new = testing::Ramps(kWidth, kHeight, 190);
  CvxImageColor8 m_screen{100, 71, true};
  WatchedDevice m_device{m_screen};
  ScriptedClock m_clock;
  TransitionOptions m_options;
  int64_t m_frameMicroseconds = 0;
  int m_calls = 0, m_stopAt = -1;
  std::set<int> m_wanted;
  std::map<int, std::unique_ptr<CvxImageColor8>> m_shots;
};

// The scenes themselves, where real OpenGL renders off screen.
class GlScene : public GlTransition {
 protected:
  void SetUp() override {
    CvxImageColor8 probe(4, 4, true);
    if (!MemoryDevice(probe).OpenGlArea()) GTEST_SKIP() << "no off-screen OpenGL here (the Windows tests use windows)";
  }
};

constexpr int kTolerance = 12;

TEST(GlTextureSize, LargestPowerOfTwoWhoseDoubleReachesTheLargerSide) {
  const int cases[][3] = {{800, 600, 512},    {1024, 768, 512},  {1025, 768, 1024}, {1280, 1024, 1024},
                          {3000, 2000, 2048}, {600, 9000, 2048}, {1, 1, 2},         {96, 64, 64}};
  for (const auto& c : cases) EXPECT_EQ(GlTextureSize(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
}

TEST_F(GlScene, EveryDirectionStartsOnTheOldPictureUprightAndEndsOnTheNew) {
  // r0 modulo 4 picks the cube's direction, its parity the flips' sense.
  for (int id = 91; id <= 100; ++id) {
    const int directions = id == 92 ? 4 : id >= 93 && id <= 98 ? 2 : 1;
    for (int r0 = 0; r0 < directions; ++r0) {
      SCOPED_TRACE(::testing::Message() << "id " << id << ", r0 mod 4 = " << r0);
      SeedRandom(SeedForR0(r0));
      ASSERT_TRUE(Run(id, 0.0f, {1, 31}));
      EXPECT_EQ(m_calls, 31);
      EXPECT_EQ(m_device.presents, 31);
      EXPECT_LE(Distance(Shot(1), *m_old), kTolerance);
      EXPECT_TRUE(CoversExactlyTheFrame(Shot(1)));
      EXPECT_LE(Distance(Shot(31), *m_new), kTolerance);
      EXPECT_TRUE(CoversExactlyTheFrame(Shot(31)));
      ExpectLeftClean(true);
    }
  }
}

TEST_F(GlScene, FadeHalfWayIsTheAverageAndTilesAreAllNewFromAboutSeventyTwoPercent) {
  // With no duration frame n shows p = (n − 1) / 30.
  ASSERT_TRUE(Run(91, 0.0f, {16}));
  auto average = NewImage<CvxColor8>(kWidth, kHeight, false);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) average->At(x, y).c[c] = (m_old->At(x, y).c[c] + m_new->At(x, y).c[c]) / 2;
    }
  }
  EXPECT_LE(Distance(Shot(16), *average), kTolerance);
  // The last tiles of 97 and 98 land at p = 0.7222: still turning at 0.7, flat at 0.7333.
  for (int id : {97, 98}) {
    ASSERT_TRUE(Run(id, 0.0f, {22, 23}));
    EXPECT_GT(Distance(Shot(22), *m_new), kTolerance) << id;
    EXPECT_LE(Distance(Shot(23), *m_new), kTolerance) << id;
  }
}

TEST_F(GlScene, FlipsTurnOppositeWaysForEvenAndOddR0) {
  // A quarter of the way the card's outline for r0 even is the mirror image of the one for
  // r0 odd, across the turning axis.
  for (int id : {93, 94}) {
    std::unique_ptr<CvxImageColor8> shots[2];
    for (int r0 : {0, 1}) {
      SeedRandom(SeedForR0(r0));
      ASSERT_TRUE(Run(id, 0.0f, {8}));
      shots[r0] = std::make_unique<CvxImageColor8>(Shot(8));
    }
    int mirrored = 0, same = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool lit = Lit(*shots[0], kOriginX + x, kOriginY + y);
        const int mx = id == 93 ? kWidth - 1 - x : x;
        const int my = id == 93 ? y : kHeight - 1 - y;
        mirrored += lit != Lit(*shots[1], kOriginX + mx, kOriginY + my);
        same += lit != Lit(*shots[1], kOriginX + x, kOriginY + y);
      }
    }
    EXPECT_LT(mirrored, kWidth * kHeight / 100) << id;
    EXPECT_GT(same, kWidth * kHeight / 20) << id;
  }
}

TEST_F(GlScene, AFrameIsPresentedBeforeTheCallbackCanStopIt) {
  EXPECT_FALSE(Run(99, 2.0f, {1}, /*stopAt=*/1));
  EXPECT_EQ(m_device.presents, 1);
  EXPECT_LE(Distance(m_screen, *m_old), kTolerance) << "the presented first frame stays; no final frame";
  ExpectLeftClean(false);
}

TEST_F(GlScene, TextureUploadsCountAgainstTheDuration) {
  m_frameMicroseconds = 10000;
  int64_t uploadMicroseconds = 0;
  m_options.textureCopy = [&](const CvxImageColor8& frame, int size) {
    m_clock.counter += uploadMicroseconds;
    return BilinearTextureCopy(frame, size);
  };
  // 1 s less two 100-ms uploads leaves about 80 frames of 10 ms.
  uploadMicroseconds = 100000;
  EXPECT_TRUE(Run(92, 1.0f));
  EXPECT_GE(m_calls, 75);
  EXPECT_LE(m_calls, 81);
  ExpectLeftClean(true);
  // Uploads slower than the whole duration leave one frame.
  uploadMicroseconds = 600000;
  EXPECT_TRUE(Run(92, 1.0f));
  EXPECT_EQ(m_calls, 1);
  ExpectLeftClean(true);
}

// On every platform: without OpenGL, or without a texture copy, only the final frame.
TEST_F(GlTransition, WithoutOpenGlOrATextureCopyItEndsAtOnceOnTheNewFrame) {
  struct Case {
    OpenGl openGl;
    bool copyFails;
  };
  for (const Case& c : {Case{OpenGl::None, false}, Case{OpenGl::NoContext, false}, Case{OpenGl::Offscreen, true}}) {
    m_device.openGl = c.openGl;
    m_options.textureCopy = &BilinearTextureCopy;
    if (c.copyFails) m_options.textureCopy = [](const CvxImageColor8&, int) { return std::unique_ptr<CvxImage>(); };
    EXPECT_TRUE(Run(95, 1.0f));
    EXPECT_EQ(m_calls, 0);
    ExpectLeftClean(true);
  }
}

}  // namespace
}  // namespace glintora
