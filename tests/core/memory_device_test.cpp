#include <gtest/gtest.h>

#include "core/image/image.h"
#include "core/image/memory_device.h"

namespace glintora {
namespace {

// A one-row Gray8 source whose pixel x has the value 10 + x, drawn into a Color8 row;
// returns what each destination column received (0 where nothing was drawn).
std::vector<int> DrawRow(int sourceWidth, int targetWidth, int xDst, int wDst, int xSrc, int wSrc) {
  CvxImageGray8 source(sourceWidth, 1, true);
  for (int x = 0; x < sourceWidth; ++x) source.At(x, 0).c[0] = static_cast<uint8_t>(10 + x);
  CvxImageColor8 target(targetWidth, 1, true);
  MemoryDevice device(target);
  device.StretchDIBits(xDst, 0, wDst, 1, xSrc, 0, wSrc, 1, source.GetBits(), *source.GetBitmapInfo());
  std::vector<int> row;
  for (int x = 0; x < targetWidth; ++x) row.push_back(target.At(x, 0).c[0] ? target.At(x, 0).c[0] - 10 : -1);
  return row;
}

TEST(MemoryDevice, StretchTakesThePixelUnderEachCentre) {
  EXPECT_EQ(DrawRow(2, 5, 0, 5, 0, 2), (std::vector<int>{0, 0, 0, 1, 1}));
  EXPECT_EQ(DrawRow(3, 3, 0, 3, 0, 3), (std::vector<int>{0, 1, 2}));
}

TEST(MemoryDevice, ShrinkAcrossKeepsTheLastSourcePixel) {
  EXPECT_EQ(DrawRow(5, 2, 0, 2, 0, 5), (std::vector<int>{2, 4}));
}

TEST(MemoryDevice, MirroredSpansRunBackwardsFromTheirStart) {
  // A negative width starts at x itself: 4 with -4 covers columns 1 to 4.
  EXPECT_EQ(DrawRow(4, 6, 4, -4, 0, 4), (std::vector<int>{-1, 3, 2, 1, 0, -1}));
  EXPECT_EQ(DrawRow(2, 4, 3, -4, 0, 2), (std::vector<int>{1, 1, 0, 0}));
}

TEST(MemoryDevice, ClippingKeepsTheUnclippedMapping) {
  // Partly outside on the left: the visible part is what the whole draw would put there.
  EXPECT_EQ(DrawRow(2, 3, -2, 5, 0, 2), (std::vector<int>{0, 1, 1}));
  // A source reaching past the bitmap draws only its inside part.
  EXPECT_EQ(DrawRow(4, 8, 2, 8, 2, 4), (std::vector<int>{-1, -1, 2, 2, 3, 3, -1, -1}));
  // Mirrored with the source partly outside: same columns, reversed.
  EXPECT_EQ(DrawRow(4, 8, 9, -8, 2, 4), (std::vector<int>{-1, -1, 3, 3, 2, 2, -1, -1}));
}

TEST(MemoryDevice, ShrinkDownKeepsTheFirstSourceRowAndHonoursTheOrigin) {
  // Five rows, values by row from the top; shrunk to two rows picks rows 0 and 3.
  CvxImageColor8 source(1, 5, true);
  for (int y = 0; y < 5; ++y) source.At(0, y) = CvxColor8(static_cast<uint8_t>(y + 1), 0, 0);
  CvxImageColor8 target(3, 4, true);
  MemoryDevice device(target);
  device.SetViewportOrigin(1, 1);
  int x = 0;
  int y = 0;
  device.GetViewportOrigin(x, y);
  EXPECT_EQ(std::pair(x, y), std::pair(1, 1));
  // Bitmap source y counts from the bottom: rows 0..5 from the bottom is the whole image.
  EXPECT_EQ(device.StretchDIBits(0, 0, 1, 2, 0, 0, 1, 5, source.GetBits(), *source.GetBitmapInfo()), 5);
  EXPECT_EQ(target.At(1, 1).c[0], 1);
  EXPECT_EQ(target.At(1, 2).c[0], 4);
  EXPECT_EQ(target.At(0, 0).c[0], 0);
  EXPECT_EQ(target.At(1, 3).c[0], 0);
}

TEST(MemoryDevice, ReadsAllEightBitSourceDepths) {
  CvxImageAlpha8 alpha(2, 1, true);
  alpha.At(1, 0) = CvxAlpha8(7, 8, 9, 200);
  CvxImageColor8 target(2, 1, true);
  MemoryDevice device(target);
  EXPECT_EQ(device.StretchDIBits(0, 0, 2, 1, 0, 0, 2, 1, alpha.GetBits(), *alpha.GetBitmapInfo()), 1);
  EXPECT_EQ(target.At(1, 0).c[0], 7);
  EXPECT_EQ(target.At(1, 0).c[2], 9);
  CvxImageGray8 gray(1, 1, true);
  gray.At(0, 0).c[0] = 99;
  device.StretchDIBits(0, 0, 1, 1, 0, 0, 1, 1, gray.GetBits(), *gray.GetBitmapInfo());
  EXPECT_EQ(target.At(0, 0).c[1], 99);
  EXPECT_EQ(device.StretchDIBits(0, 0, 1, 1, 5, 0, 1, 1, gray.GetBits(), *gray.GetBitmapInfo()), 0)
      << "a source outside the bitmap draws nothing";
}

}  // namespace
}  // namespace glintora
