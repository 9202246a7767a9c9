// The memory device paints exactly what GDI paints: the same drawing calls on a GDI memory
// DC and on the memory device give the same pixels.

#include <windows.h>

#include <gtest/gtest.h>

#include "core/image/image.h"
#include "core/image/memory_device.h"
#include "../core/image_helpers.h"
#include "win/platform/gdi_device.h"

namespace glintora {
namespace {

using testing::FillPattern;
using testing::Pattern;
using testing::SamePixels;

// Two identical Color8 targets: one selected into a memory DC for GDI, one for the memory
// device.
class GdiVersusMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    m_gdiTarget = NewImage<CvxColor8>(kWidth, kHeight, true);
    m_memoryTarget = NewImage<CvxColor8>(kWidth, kHeight, true);
    ASSERT_NE(m_gdiTarget->GetBitmap(), nullptr) << "Color8 images live in DIB sections";
    m_dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(m_dc, nullptr);
    m_old = SelectObject(m_dc, static_cast<HBITMAP>(m_gdiTarget->GetBitmap()));
    Reset(1);
  }
  void TearDown() override {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
  }
  // Both targets get the same background.
  void Reset(uint32_t seed) {
    GdiFlush();
    FillPattern(*m_gdiTarget, seed);
    m_memoryTarget->Paste(m_gdiTarget.get(), 0, 0);
  }
  ::testing::AssertionResult DrawBoth(const CvxImage& source, RectF from, RectF to, int originX = 0,
                                      int originY = 0) {
    GdiDevice gdi(m_dc);
    MemoryDevice memory(*m_memoryTarget);
    gdi.SetViewportOrigin(originX, originY);
    memory.SetViewportOrigin(originX, originY);
    source.Draw(gdi, from, to);
    source.Draw(memory, from, to);
    gdi.SetViewportOrigin(0, 0);
    GdiFlush();
    return SamePixels(*m_gdiTarget, *m_memoryTarget);
  }

  static constexpr int kWidth = 97;
  static constexpr int kHeight = 61;
  std::unique_ptr<CvxImageColor8> m_gdiTarget;
  std::unique_ptr<CvxImageColor8> m_memoryTarget;
  HDC m_dc = nullptr;
  HGDIOBJ m_old = nullptr;
};

TEST_F(GdiVersusMemory, NamedCases) {
  auto colour = Pattern<CvxColor8>(23, 17, 5);
  struct Case {
    const char* name;
    RectF from, to;
  };
  const Case cases[] = {
      {"same size", {0, 0, 23, 17}, {10, 5, 33, 22}},
      {"stretched", {0, 0, 23, 17}, {3, 2, 90, 59}},
      {"shrunk", {0, 0, 23, 17}, {5, 5, 14, 11}},
      {"part of the source", {4.4f, 2.6f, 19.5f, 15.2f}, {0, 0, 97, 61}},
      {"mirrored left-right", {0, 0, 23, 17}, {80, 3, 10, 50}},
      {"mirrored top-bottom", {0, 0, 23, 17}, {10, 55, 80, 4}},
      {"mirrored both ways", {0, 0, 23, 17}, {90, 60, 1, 1}},
      {"partly outside, top left", {0, 0, 23, 17}, {-30, -20, 50, 40}},
      {"partly outside, bottom right", {0, 0, 23, 17}, {60, 40, 150, 100}},
      {"mirrored and outside", {0, 0, 23, 17}, {120, 70, -20, -15}},
      {"source beyond the picture", {10, 8, 40, 30}, {0, 0, 60, 50}},
      {"mirrored, source beyond", {10, 8, 40, 30}, {90, 0, 10, 50}},
      {"empty destination", {0, 0, 23, 17}, {5, 5, 5, 40}},
      {"single pixel", {3, 3, 4, 4}, {0, 0, 97, 61}},
  };
  for (const Case& c : cases) {
    Reset(7);
    EXPECT_TRUE(DrawBoth(*colour, c.from, c.to)) << c.name;
  }
  Reset(8);
  EXPECT_TRUE(DrawBoth(*colour, {0, 0, 23, 17}, {0, 0, 40, 30}, 30, 20)) << "viewport origin";
}

TEST_F(GdiVersusMemory, GreyAndAlphaSources) {
  auto gray = Pattern<CvxGray8>(13, 9, 3);
  auto alpha = Pattern<CvxAlpha8>(13, 9, 4);
  for (const CvxImage* source : {static_cast<const CvxImage*>(gray.get()), static_cast<const CvxImage*>(alpha.get())}) {
    Reset(9);
    EXPECT_TRUE(DrawBoth(*source, {0, 0, 13, 9}, {2, 2, 70, 50})) << source->GetType();
    EXPECT_TRUE(DrawBoth(*source, {1, 1, 12, 8}, {60, 40, 20, 5})) << source->GetType();
  }
}

TEST_F(GdiVersusMemory, SeededRandomCalls) {
  uint32_t state = 20261208;
  auto next = [&](int lo, int hi) {
    state = state * 1103515245u + 12345u;
    return lo + static_cast<int>((state >> 8) % static_cast<uint32_t>(hi - lo + 1));
  };
  auto source = Pattern<CvxColor8>(31, 19, 11);
  for (int n = 0; n < 400; ++n) {
    const RectF from{static_cast<float>(next(-5, 25)), static_cast<float>(next(-5, 15)),
                     static_cast<float>(next(1, 40)), static_cast<float>(next(1, 25))};
    const RectF to{static_cast<float>(next(-60, 130)), static_cast<float>(next(-40, 90)),
                   static_cast<float>(next(-60, 130)), static_cast<float>(next(-40, 90))};
    if (n % 50 == 0) Reset(static_cast<uint32_t>(n));
    ASSERT_TRUE(DrawBoth(*source, from, to)) << "call " << n << ": from " << from.left << "," << from.top << ","
                                             << from.right << "," << from.bottom << " to " << to.left << ","
                                             << to.top << "," << to.right << "," << to.bottom;
  }
}

}  // namespace
}  // namespace glintora
