// The 3D transitions with real OpenGL rendering off screen into the memory device: what each
// scene shows at its ends and on the way, where it stands, the pacing with the texture
// uploads counted, and what every way of ending leaves behind.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "core/base/random.h"
#include "core/image/memory_device.h"
#include "core/transitions/engine.h"
#include "fakes.h"
#include "image_helpers.h"

namespace glintora {
namespace {

// The frame stands at (2, 3) on a 100 × 71 screen: 3 rows above it, 4 below.
constexpr int kX = 2, kY = 3, kWidth = 96, kHeight = 64, kTolerance = 12;

bool Lit(const CvxImageColor8& screen, int x, int y) {
  const CvxColor8& p = screen.At(x, y);
  return p.c[0] + p.c[1] + p.c[2] > 30;
}

// A seed after which the first random value, r0, is `r0Mod4` modulo 4.
uint32_t SeedForR0(int r0Mod4) {
  uint32_t seed = 1;
  while (StepRandom(seed).value % 4 != r0Mod4) ++seed;
  return seed;
}

enum class OpenGl { Offscreen, None, NoContext };

// The memory device whose OpenGL area counts its releases; or one without OpenGL, or whose
// area got no context.
class WatchedDevice final : public MemoryDevice {
 public:
  using MemoryDevice::MemoryDevice;
  std::unique_ptr<GlArea> OpenGlArea() override {
    if (openGl == OpenGl::None) return nullptr;
    ++areas;
    return std::make_unique<Area>(openGl == OpenGl::Offscreen ? MemoryDevice::OpenGlArea() : nullptr, releases);
  }
  OpenGl openGl = OpenGl::Offscreen;
  int areas = 0, releases = 0;

 private:
  struct Area final : GlArea {
    Area(std::unique_ptr<GlArea> area, int& count) : real(std::move(area)), releases(count) {}
    bool HasContext() const override { return real && real->HasContext(); }
    int SurfaceHeight() const override { return real->SurfaceHeight(); }
    void Present() override { real->Present(); }
    void Release() override {
      ++releases;
      if (real) real->Release();
    }
    std::unique_ptr<GlArea> real;
    int& releases;
  };
};

class GlTransition : public ::testing::Test {
 protected:
  // Runs `id` on a black screen, keeping the screen as the callback saw it on the calls in
  // `kept` (call n comes right after the n-th presented frame); call `stopAt` refuses.
  bool Run(int id, float seconds, std::set<int> kept = {}, int stopAt = 0) {
    m_screen.FillRect(0, 0, m_screen.m_width, m_screen.m_height, CvxColor8(0, 0, 0));
    m_device.SetViewportOrigin(kX, kY);
    m_device.areas = m_device.releases = m_calls = 0;
    m_kept = std::move(kept);
    m_stopAt = stopAt;
    m_shots.clear();
    m_options.clock = &m_clock;
    return RunTransition(m_device, {0, 0, kWidth, kHeight}, *m_old, *m_new, id, seconds, &Continue, this, m_options);
  }
  static bool Continue(void* context) {
    auto* self = static_cast<GlTransition*>(context);
    ++self->m_calls;
    if (self->m_kept.count(self->m_calls)) {
      self->m_shots[self->m_calls] = std::make_unique<CvxImageColor8>(self->m_screen);
    }
    self->m_clock.counter += self->m_frameMicroseconds;
    return self->m_calls != self->m_stopAt;
  }
  // How far the frame's place on the screen of call n is from `expected`, two pixels in from
  // its edges (where a texture blends with its opposite edge).
  int Distance(int call, const CvxImageColor8& expected) {
    return testing::LargestDifference(*m_shots.at(call), kX, kY, expected, 2);
  }
  // True when, across the middles of the frame's edges, exactly its rows and columns are lit.
  bool StandsExactly(int call) {
    const CvxImageColor8& s = *m_shots.at(call);
    const int midX = kX + kWidth / 2, midY = kY + kHeight / 2;
    return !Lit(s, midX, kY - 1) && Lit(s, midX, kY) && Lit(s, midX, kY + kHeight - 1) &&
           !Lit(s, midX, kY + kHeight) && !Lit(s, kX - 1, midY) && Lit(s, kX, midY) &&
           Lit(s, kX + kWidth - 1, midY) && !Lit(s, kX + kWidth, midY);
  }
  // The device's origin is back, every area made was released, and the screen shows the new
  // frame exactly when the transition ended normally.
  void ExpectLeftClean(bool endedOnNew) {
    int x = 0, y = 0;
    m_device.GetViewportOrigin(x, y);
    EXPECT_TRUE(x == kX && y == kY);
    EXPECT_EQ(m_device.releases, m_device.areas);
    EXPECT_EQ(testing::SamePixels(*m_screen.Crop(kX, kY, kWidth, kHeight), *m_new), endedOnNew);
  }

  std::unique_ptr<CvxImageColor8> m_old = testing::Ramps(kWidth, kHeight, 60);
  std::unique_ptr<CvxImageColor8> m_new = testing::Ramps(kWidth, kHeight, 190);
  CvxImageColor8 m_screen{100, 71, true};
  WatchedDevice m_device{m_screen};
  testing::ScriptedClock m_clock;
  TransitionOptions m_options;
  int64_t m_frameMicroseconds = 0;
  int m_calls = 0, m_stopAt = 0;
  std::set<int> m_kept;
  std::map<int, std::unique_ptr<CvxImageColor8>> m_shots;
};

// The scenes themselves, where OpenGL renders off screen (not on Windows, whose tests use
// real windows).
class GlScene : public GlTransition {
 protected:
  void SetUp() override {
    CvxImageColor8 probe(4, 4, true);
    if (!MemoryDevice(probe).OpenGlArea()) GTEST_SKIP() << "no off-screen OpenGL here";
  }
};

TEST(GlTextureSize, LargestPowerOfTwoWhoseDoubleReachesTheLargerSide) {
  const int cases[][3] = {{800, 600, 512}, {1024, 768, 512}, {1025, 768, 1024}, {3000, 2000, 2048}, {1, 1, 2}};
  for (const auto& c : cases) EXPECT_EQ(GlTextureSize(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
}

TEST_F(GlScene, EveryDirectionStartsOnTheOldPictureUprightAndEndsOnTheNew) {
  // r0 modulo 4 picks the cube's direction, its parity the flips' sense.
  for (int id = 91; id <= 100; ++id) {
    for (int r0 = 0; r0 < (id == 92 ? 4 : id >= 93 && id <= 98 ? 2 : 1); ++r0) {
      SCOPED_TRACE(::testing::Message() << "id " << id << ", r0 mod 4 = " << r0);
      SeedRandom(SeedForR0(r0));
      ASSERT_TRUE(Run(id, 0.0f, {1, 31}));
      EXPECT_EQ(m_calls, 31);
      EXPECT_LE(Distance(1, *m_old), kTolerance);
      EXPECT_LE(Distance(31, *m_new), kTolerance);
      EXPECT_TRUE(StandsExactly(1) && StandsExactly(31));
      ExpectLeftClean(true);
    }
  }
}

TEST_F(GlScene, FadeHalfWayIsTheAverageAndTilesAreAllNewFromAboutSeventyTwoPercent) {
  // With no duration call n shows p = (n − 1) / 30.
  ASSERT_TRUE(Run(91, 0.0f, {16}));
  auto average = NewImage<CvxColor8>(kWidth, kHeight, false);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) average->At(x, y).c[c] = (m_old->At(x, y).c[c] + m_new->At(x, y).c[c]) / 2;
    }
  }
  EXPECT_LE(Distance(16, *average), kTolerance);
  // The last tiles of 97 and 98 land at p = 0.7222: still turning at 0.7, flat at 0.7333.
  for (int id : {97, 98}) {
    ASSERT_TRUE(Run(id, 0.0f, {22, 23}));
    EXPECT_GT(Distance(22, *m_new), kTolerance) << id;
    EXPECT_LE(Distance(23, *m_new), kTolerance) << id;
  }
}

// Part-way frames of every scene family, probed at points of the frame. The two pictures
// are the same ramps (red grows to the right, green downwards) on different blues, so a
// probe tells which picture it sees and which point (u, v) of it, as fractions from the
// picture's top left. With no duration call n shows p = (n − 1) / 30: call 8 is p = 0.23,
// 16 is 0.5, 23 is 0.73. r0 picks the cube's direction (modulo 4) and the turning sense of
// 93 to 98 (even: σ = −1, odd: σ = +1); both senses are covered. The expected points come
// from the scenes' geometry (the perspective camera, each card's turn, the pieces' paths);
// each row's text says what they pin. A flipped turning sense, a swapped axis or a mirrored
// back moves a probe onto black, onto the other picture or onto another point of it; the
// point is read to within 0.06, about one pixel where the scenes foreshorten most.
TEST_F(GlScene, PartWayEachSceneTurnsAndMovesTheWayItsGeometrySays) {
  constexpr int kOld = 60, kNew = 190, kBlack = 0;
  struct Probe {
    float x, y;  // fractions of the frame from its top left
    int blue;    // the picture's blue, or kBlack for an empty place
    float u = 0, v = 0;
  };
  struct Row {
    int id, r0, call;
    const char* pins;
    std::vector<Probe> probes;
  };
  const Row rows[] = {
      {91, 0, 8, "a 23% fade: blue 60 + 130 × 7/30, the pictures' common ramps in place",
       {{0.25f, 0.75f, 90, 0.25f, 0.75f}}},
      {92, 0, 16, "the box rolls down, halfway and 5 units back: the new face above, upright, its "
       "bottom edge on the old face's top edge; black below the box",
       {{0.5f, 0.3f, kNew, 0.51f, 0.57f}, {0.5f, 0.6f, kOld, 0.51f, 0.45f}, {0.35f, 0.85f, kBlack}}},
      {92, 1, 16, "the box turns left: the old face on the left, the new one right of it, its left "
       "edge on the old face's right edge; black left of the box",
       {{0.3f, 0.5f, kOld, 0.2f, 0.52f}, {0.7f, 0.5f, kNew, 0.47f, 0.52f}, {0.2f, 0.4f, kBlack}}},
      {92, 2, 16, "the box rolls up: the old face above, the new one below, its top edge on the old "
       "face's bottom edge; black above the box",
       {{0.5f, 0.35f, kOld, 0.51f, 0.41f}, {0.5f, 0.7f, kNew, 0.51f, 0.43f}, {0.5f, 0.15f, kBlack}}},
      {92, 3, 16, "the box turns right: the new face on the left, its right edge on the old face's "
       "left edge; black right of the box",
       {{0.3f, 0.5f, kNew, 0.53f, 0.52f}, {0.7f, 0.5f, kOld, 0.8f, 0.52f}, {0.8f, 0.4f, kBlack}}},
      {93, 0, 8, "σ = −1, 42° about the vertical axis: the right edge away (black at the top "
       "right), the left edge near and enlarged, the centre fixed",
       {{0.1f, 0.5f, kOld, 0.06f, 0.51f}, {0.5f, 0.5f, kOld, 0.51f, 0.51f}, {0.9f, 0.1f, kBlack}}},
      {93, 1, 23, "σ = +1, 132°: the new picture on the back reads left to right, its left edge "
       "near, the right edge away (black at the right)",
       {{0.2f, 0.5f, kNew, 0.13f, 0.51f}, {0.5f, 0.5f, kNew, 0.51f, 0.51f}, {0.9f, 0.2f, kBlack}}},
      {94, 0, 8, "σ = −1, 42° about the horizontal axis: the bottom edge away (black at the bottom "
       "left), the top edge near and enlarged",
       {{0.5f, 0.2f, kOld, 0.5f, 0.13f}, {0.5f, 0.5f, kOld, 0.51f, 0.51f}, {0.1f, 0.9f, kBlack}}},
      {94, 1, 23, "σ = +1, 132°: the new picture on the back reads top to bottom, its top edge "
       "near, the bottom edge away (black at the bottom)",
       {{0.5f, 0.2f, kNew, 0.5f, 0.1f}, {0.5f, 0.5f, kNew, 0.51f, 0.51f}, {0.1f, 0.85f, kBlack}}},
      {95, 0, 8, "σ = −1: the tiles turn about the picture's horizontal middle line in a wave from "
       "the bottom left; the bottom left ones, furthest on, have swung away (black), the top right "
       "ones have not started",
       {{0.6f, 0.35f, kOld, 0.6f, 0.35f}, {0.1f, 0.9f, kBlack}, {0.9f, 0.1f, kOld, 0.9f, 0.1f}}},
      {95, 1, 23, "σ = +1: every tile past edge-on shows the new picture upright, the lower half "
       "away (black at the bottom), the upper half near and enlarged",
       {{0.1f, 0.2f, kNew, 0.15f, 0.09f}, {0.5f, 0.5f, kNew, 0.51f, 0.51f}, {0.3f, 0.75f, kBlack}}},
      {96, 0, 8, "σ = −1: the tiles turn about the vertical middle line; the bottom left ones, "
       "furthest on, have swung their left parts near (narrower but taller), the top right ones "
       "have not started",
       {{0.1f, 0.9f, kOld, 0.07f, 0.84f}, {0.5f, 0.5f, kOld, 0.51f, 0.51f}, {0.9f, 0.1f, kOld, 0.9f, 0.1f}}},
      {96, 1, 23, "σ = +1: the new picture reads left to right, the left half near and enlarged, "
       "the right half away (black at the right)",
       {{0.3f, 0.3f, kNew, 0.12f, 0.35f}, {0.5f, 0.5f, kNew, 0.51f, 0.51f}, {0.8f, 0.2f, kBlack}}},
      {97, 0, 8, "σ = −1: 6 × 6 tiles, each about its own horizontal middle line, the wave from "
       "the bottom left: the lower left tiles have turned furthest (black between them), higher "
       "ones less (slanted), the bottom right one has barely started",
       {{0.1f, 0.35f, kOld, 0.11f, 0.33f}, {0.1f, 0.9f, kBlack}, {0.9f, 0.9f, kOld, 0.9f, 0.9f}}},
      {97, 1, 16, "σ = +1: the top left tile has landed on the new picture; a top tile further "
       "right is edge-on (black); bottom tiles near the end of their turn show the new picture "
       "upright, also within each tile",
       {{0.5f, 0.9f, kNew, 0.51f, 0.89f},
        {0.6f, 0.1f, kBlack},
        {0.1f, 0.1f, kNew, 0.1f, 0.11f},
        {0.2f, 0.83f, kNew, 0.2f, 0.83f}}},
      {98, 0, 8, "σ = −1: tiles about their own vertical middle lines; left tiles turning, the "
       "bottom right one still flat",
       {{0.15f, 0.35f, kOld, 0.16f, 0.35f}, {0.1f, 0.5f, kOld, 0.1f, 0.51f}, {0.9f, 0.9f, kOld, 0.9f, 0.9f}}},
      {98, 1, 16, "σ = +1: the left tiles show the new picture reading left to right, also "
       "within a tile still turning; the top right one the old picture, a tile between is "
       "edge-on (black)",
       {{0.2f, 0.5f, kNew, 0.2f, 0.51f},
        {0.17f, 0.54f, kNew, 0.17f, 0.54f},
        {0.9f, 0.2f, kOld, 0.89f, 0.19f},
        {0.75f, 0.4f, kBlack}}},
      {99, 0, 8, "the pieces fly towards the viewer, so they spread from the centre; the new "
       "picture is still beyond the far plane",
       {{0.15f, 0.15f, kOld, 0.2f, 0.2f}, {0.45f, 0.15f, kOld, 0.45f, 0.2f}, {0.85f, 0.85f, kOld, 0.8f, 0.8f}}},
      {100, 0, 16, "the pieces scatter, each by p³ · a · (1 + |sin α|) against the sign of sin α "
       "across and of sin β up and down (α, β from r(i+j), r(i·j)): the new picture shows where "
       "they left, and the piece from (0.22, 0.72) is at (0.10, 0.54)",
       {{0.9f, 0.1f, kNew, 0.9f, 0.1f},
        {0.2f, 0.3f, kNew, 0.2f, 0.3f},
        {0.5f, 0.07f, kNew, 0.51f, 0.07f},
        {0.1f, 0.54f, kOld, 0.22f, 0.72f}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "id " << row.id << ", r0 " << row.r0 << ", call " << row.call << ": "
                                      << row.pins);
    SeedRandom(SeedForR0(row.r0));
    ASSERT_TRUE(Run(row.id, 0.0f, {row.call}));
    for (const Probe& probe : row.probes) {
      const int x = static_cast<int>(probe.x * kWidth), y = static_cast<int>(probe.y * kHeight);
      const CvxColor8& seen = m_shots.at(row.call)->At(kX + x, kY + y);
      SCOPED_TRACE(::testing::Message() << "probe (" << probe.x << ", " << probe.y << ")");
      if (probe.blue == kBlack) {
        EXPECT_FALSE(Lit(*m_shots.at(row.call), kX + x, kY + y));
        continue;
      }
      EXPECT_NEAR(seen.Blue(), probe.blue, 20);
      EXPECT_NEAR((seen.Red() - 40) / 160.0f, probe.u, 0.06f);
      EXPECT_NEAR((seen.Green() - 40) / 160.0f, probe.v, 0.06f);
    }
  }
}

TEST_F(GlScene, AFrameIsPresentedBeforeTheCallbackCanStopIt) {
  EXPECT_FALSE(Run(99, 2.0f, {1}, /*stopAt=*/1));
  EXPECT_LE(Distance(1, *m_old), kTolerance);
  ExpectLeftClean(false);  // the presented frame stays: no final frame
}

TEST_F(GlScene, TextureUploadsCountAgainstTheDuration) {
  m_frameMicroseconds = 10000;
  int64_t uploadMicroseconds = 100000;
  m_options.textureCopy = [&](const CvxImageColor8& frame, int size) {
    m_clock.counter += uploadMicroseconds;
    return BilinearTextureCopy(frame, size);
  };
  // 1 s less two 100-ms uploads leaves about 80 frames of 10 ms.
  EXPECT_TRUE(Run(92, 1.0f));
  EXPECT_TRUE(m_calls >= 75 && m_calls <= 81) << m_calls;
  ExpectLeftClean(true);
  // Uploads that take the whole duration leave one frame (not the 31 of no duration).
  uploadMicroseconds = 500000;
  EXPECT_TRUE(Run(92, 1.0f));
  EXPECT_EQ(m_calls, 1);
  ExpectLeftClean(true);
}

// On every platform: without OpenGL, or without a texture copy, only the final frame.
TEST_F(GlTransition, WithoutOpenGlOrATextureCopyItEndsAtOnceOnTheNewFrame) {
  for (const OpenGl openGl : {OpenGl::None, OpenGl::NoContext, OpenGl::Offscreen}) {
    m_device.openGl = openGl;
    m_options.textureCopy = [](const CvxImageColor8&, int) { return std::unique_ptr<CvxImage>(); };
    EXPECT_TRUE(Run(95, 1.0f));
    EXPECT_EQ(m_calls, 0);
    ExpectLeftClean(true);
  }
}

}  // namespace
}  // namespace glintora
