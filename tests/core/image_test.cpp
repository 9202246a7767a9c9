#include <gtest/gtest.h>

#include "core/image/image.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::Pattern;
using testing::SamePixels;

TEST(Image, StridesRowsAndBitmapInfo) {
  // 1 × 1: every 8-bit type and Gray16 pad to 4 bytes; Color16 and Alpha16 take 8.
  EXPECT_EQ(CvxImageGray8(1, 1, true).GetStride(), 4);
  EXPECT_EQ(CvxImageColor8(1, 1, true).GetStride(), 4);
  EXPECT_EQ(CvxImageAlpha8(1, 1, true).GetStride(), 4);
  EXPECT_EQ(CvxImageGray16(1, 1, true).GetStride(), 4);
  EXPECT_EQ(CvxImageColor16(1, 1, true).GetStride(), 8);
  EXPECT_EQ(CvxImageAlpha16(1, 1, true).GetStride(), 8);
  EXPECT_EQ(CvxImageColor16(3, 1, true).GetStride(), 20);
  EXPECT_EQ(CvxImageAlpha16(3, 1, true).GetStride(), 24);

  CvxImageColor8 five(5, 7, true);
  EXPECT_EQ(five.GetStride(), 16);
  EXPECT_EQ(five.GetRows()[0], five.GetBits() + 16 * 6) << "row 0 is the top row, stored last";
  EXPECT_EQ(five.GetRows()[6], five.GetBits());
  EXPECT_EQ(five.GetType(), Color8);
  EXPECT_EQ(five.m_type, Color8);
  EXPECT_EQ(five.m_format, 0);

  const BitmapInfoHeader& h = five.GetBitmapInfo()->header;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 5);
  EXPECT_EQ(h.biHeight, 7);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biSizeImage, 16u * 7u);
  EXPECT_EQ(h.biClrUsed, 0u);

  CvxImageGray8 gray(3, 2, true);
  EXPECT_EQ(gray.GetBitmapInfo()->header.biBitCount, 8);
  EXPECT_EQ(gray.GetBitmapInfo()->header.biClrUsed, 256u);
  const PaletteEntry* palette = Palette(*gray.GetBitmapInfo());
  EXPECT_EQ(palette[0].red, 0);
  EXPECT_EQ(palette[200].blue, 200);
  EXPECT_EQ(palette[200].green, 200);
  EXPECT_EQ(palette[255].red, 255);
  EXPECT_EQ(CvxImageAlpha8(2, 2, true).GetBitmapInfo()->header.biBitCount, 32);
  EXPECT_EQ(CvxImageColor16(2, 2, true).GetBitmapInfo(), nullptr);
}

TEST(Image, BadSizesGiveEmptyImagesAndHugeOnesNoPixels) {
  for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {-3, -3}}) {
    CvxImageColor8 image(w, h, true);
    EXPECT_EQ(image.m_width, 0);
    EXPECT_EQ(image.m_height, 0);
    EXPECT_TRUE(image.HasPixels());
  }
  // Row bytes beyond 32 bits once wrapped to a tiny buffer with rows far past it.
  CvxImageAlpha8 wide(2097161223, 3, true);
  EXPECT_FALSE(wide.HasPixels());
  CvxImageColor8 huge(70000, 70000, true);  // 14.7 GB
  EXPECT_FALSE(huge.HasPixels());
  EXPECT_EQ(huge.GetRows(), nullptr);
  EXPECT_EQ(NewImage<CvxColor8>(70000, 70000, false), nullptr);
  EXPECT_EQ(CreateImage(Alpha16, 40000, 40000, false), nullptr);
  EXPECT_EQ(CreateImage(7, 10, 10, false), nullptr);

  // Operations asked for a huge result return null instead of an image without pixels.
  auto small = Pattern<CvxColor8>(4, 4, 1);
  EXPECT_EQ(small->Resize(60000, 60000, kBilinear), nullptr);
  EXPECT_EQ(small->Resize(60000, 60000, kLanczos3), nullptr);
  EXPECT_EQ(small->FitWithin(100000, true, kNearest), nullptr);
  EXPECT_EQ(small->Scale(20000.0f, 20000.0f, kNearest), nullptr);
}

TEST(Image, ConversionRules) {
  CvxImageColor8 colour(3, 1, true);
  colour.At(0, 0) = CvxColor8(0, 0, 255);  // pure red
  colour.At(1, 0) = CvxColor8(255, 255, 255);
  colour.At(2, 0) = CvxColor8(0x10, 0x80, 0xF0);
  CvxImageGray8 gray(colour);
  EXPECT_EQ(gray.At(0, 0).c[0], 76);
  EXPECT_EQ(gray.At(1, 0).c[0], 255);
  EXPECT_EQ(gray.At(2, 0).c[0], (9798 * 0xF0 + 19235 * 0x80 + 3736 * 0x10 + 16384) >> 15);
  CvxImageGray16 gray16(colour);
  EXPECT_EQ(gray16.At(0, 0).c[0], (9798u * 257 * 255 + 16384) >> 15);
  EXPECT_EQ(gray16.At(1, 0).c[0], 65535) << "limited, not wrapped";

  CvxImageColor16 white16(1, 1, true);
  white16.At(0, 0) = CvxColor16(65535, 65535, 65535);
  EXPECT_EQ(CvxImageGray16(white16).At(0, 0).c[0], 65535);
  EXPECT_EQ(CvxImageGray8(white16).At(0, 0).c[0], 255);
  white16.At(0, 0) = CvxColor16(0, 0, 0x8000);
  EXPECT_EQ(CvxImageGray8(white16).At(0, 0).c[0], (9798u * 0x8000 + 16384) >> 23);

  CvxImageGray8 mid(1, 1, true);
  mid.At(0, 0).c[0] = 128;
  const CvxImageColor16 widened(mid);
  EXPECT_EQ(widened.At(0, 0).c[0], 32896);
  EXPECT_EQ(widened.At(0, 0).c[1], 32896);
  EXPECT_EQ(widened.At(0, 0).c[2], 32896);
  EXPECT_EQ(CvxImageColor8(widened).At(0, 0).c[2], 128) << "narrowing keeps the high byte";
  const CvxImageAlpha8 grayAlpha(mid);
  EXPECT_EQ(grayAlpha.At(0, 0).c[2], 128);
  EXPECT_EQ(grayAlpha.At(0, 0).c[3], 0);

  CvxImageAlpha8 alpha(2, 1, true);
  alpha.At(0, 0) = CvxAlpha8(1, 2, 3, 255);
  alpha.At(1, 0) = CvxAlpha8(250, 251, 252, 128);
  const CvxImageAlpha16 alpha16(alpha);
  EXPECT_EQ(alpha16.At(0, 0).c[3], 0) << "alpha is never carried over";
  EXPECT_EQ(alpha16.At(1, 0).c[0], 250 * 257);
  EXPECT_EQ(CvxImageAlpha8(alpha16).At(1, 0).c[3], 0);
  const CvxImageColor8 dropped(alpha);
  EXPECT_EQ(dropped.At(1, 0).c[2], 252);
  EXPECT_EQ(CvxImageGray8(alpha).At(0, 0).c[0], (9798 * 3 + 19235 * 2 + 3736 * 1 + 16384) >> 15);
}

TEST(Image, SameTypeConversionCopiesBytes) {
  auto source = Pattern<CvxAlpha16>(7, 5, 42);
  const CvxImageAlpha16 copy(static_cast<const CvxImage&>(*source));
  EXPECT_TRUE(SamePixels(copy, *source));
  EXPECT_EQ(copy.m_format, 0);
}

TEST(Image, ConvertImageReplacesOrKeepsTheObject) {
  std::unique_ptr<CvxImage> image = Pattern<CvxColor8>(4, 3, 9);
  const CvxImage* before = image.get();
  EXPECT_TRUE(ConvertImage(image, Color8));
  EXPECT_EQ(image.get(), before);
  EXPECT_TRUE(ConvertImage(image, 0));
  EXPECT_TRUE(ConvertImage(image, 9));
  EXPECT_EQ(image.get(), before);
  EXPECT_TRUE(ConvertImage(image, Gray16));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetType(), Gray16);
  EXPECT_EQ(image->m_width, 4);
  std::unique_ptr<CvxImage> none;
  EXPECT_FALSE(ConvertImage(none, Color8));
}

TEST(Image, ColorRefPixel) {
  const CvxColor8 p(0x00336699u);  // red 0x99, green 0x66, blue 0x33
  EXPECT_EQ(p.Red(), 0x99);
  EXPECT_EQ(p.Green(), 0x66);
  EXPECT_EQ(p.Blue(), 0x33);
}

TEST(Image, OrientMapsEveryPixel) {
  // 3 × 2, pixel value = 10 × row + column.
  CvxImageGray8 src(3, 2, true);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) src.At(x, y).c[0] = static_cast<uint8_t>(10 * y + x);
  }
  src.m_format = Png;
  auto values = [](const CvxImage& image) {
    const auto& g = static_cast<const CvxImageGray8&>(image);
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < g.m_height; ++y) {
      rows.emplace_back();
      for (int x = 0; x < g.m_width; ++x) rows.back().push_back(g.At(x, y).c[0]);
    }
    return rows;
  };
  using Rows = std::vector<std::vector<int>>;
  auto clockwise = src.Orient(1);
  EXPECT_EQ(values(*clockwise), (Rows{{10, 0}, {11, 1}, {12, 2}})) << "top row: left column read upwards";
  EXPECT_EQ(clockwise->m_format, Png);
  EXPECT_EQ(values(*src.Orient(2)), (Rows{{2, 12}, {1, 11}, {0, 10}}));
  EXPECT_EQ(values(*src.Orient(3)), (Rows{{12, 11, 10}, {2, 1, 0}}));
  EXPECT_EQ(values(*src.Orient(4)), (Rows{{2, 1, 0}, {12, 11, 10}}));
  EXPECT_EQ(values(*src.Orient(5)), (Rows{{10, 11, 12}, {0, 1, 2}}));
  EXPECT_EQ(values(*src.Orient(0)), values(src));
  EXPECT_EQ(values(*src.Orient(6)), values(src));
}

TEST(Image, CropChecksItsBounds) {
  auto src = Pattern<CvxColor16>(9, 6, 3);
  auto full = src->Crop(0, 0, 9, 6);
  ASSERT_NE(full, nullptr);
  EXPECT_TRUE(SamePixels(*full, *src));
  EXPECT_EQ(src->Crop(1, 0, 9, 6), nullptr);
  EXPECT_EQ(src->Crop(0, 1, 9, 6), nullptr);
  EXPECT_EQ(src->Crop(-1, 0, 2, 2), nullptr);
  EXPECT_EQ(src->Crop(0, 0, -1, 2), nullptr);
  auto part = src->Crop(2, 3, 4, 2);
  ASSERT_NE(part, nullptr);
  const auto& p = static_cast<const CvxImageColor16&>(*part);
  EXPECT_EQ(std::memcmp(&p.At(0, 0), &src->At(2, 3), 4 * sizeof(CvxColor16)), 0);
  EXPECT_EQ(std::memcmp(&p.At(0, 1), &src->At(2, 4), 4 * sizeof(CvxColor16)), 0);
  auto empty = src->Crop(9, 6, 0, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->m_width, 0);
}

TEST(Image, PasteCopiesOnlyTheOverlap) {
  CvxImageGray8 canvas(6, 4, true);
  CvxImageGray8 stamp(3, 3, true);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) stamp.At(x, y).c[0] = static_cast<uint8_t>(1 + 3 * y + x);
  }
  canvas.Paste(&stamp, -1, -1);  // only the bottom-right 2 × 2 lands
  canvas.Paste(&stamp, 5, 3);    // only the top-left pixel lands
  canvas.Paste(&stamp, 6, 0);    // entirely outside
  const int expected[4][6] = {{5, 6, 0, 0, 0, 0}, {8, 9, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 1}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.At(x, y).c[0], expected[y][x]) << x << "," << y;
  }
  CvxImageGray16 other(2, 2, true);
  canvas.Paste(&other, 0, 0);  // another type: nothing
  canvas.Paste(&canvas, 1, 1);  // itself: nothing
  EXPECT_EQ(canvas.At(0, 0).c[0], 5);
}

TEST(Image, InvertTwiceRestores) {
  auto eight = Pattern<CvxAlpha8>(5, 3, 11);
  auto copy = eight->Clone();
  eight->Invert();
  EXPECT_EQ(eight->At(0, 0).c[3], 255 - static_cast<const CvxImageAlpha8&>(*copy).At(0, 0).c[3]);
  eight->Invert();
  EXPECT_TRUE(SamePixels(*eight, *copy));
  auto sixteen = Pattern<CvxGray16>(5, 3, 12);
  auto copy16 = sixteen->Clone();
  sixteen->Invert();
  EXPECT_EQ(sixteen->At(4, 2).c[0], 65535 - static_cast<const CvxImageGray16&>(*copy16).At(4, 2).c[0]);
  sixteen->Invert();
  EXPECT_TRUE(SamePixels(*sixteen, *copy16));
}

TEST(Image, FlipAndSwapRedBlue) {
  auto image = Pattern<CvxColor8>(4, 5, 5);
  auto original = image->Clone();
  const auto& o = static_cast<const CvxImageColor8&>(*original);
  image->FlipVertical();
  EXPECT_EQ(std::memcmp(image->Row(0), o.Row(4), 12), 0);
  EXPECT_EQ(std::memcmp(image->Row(2), o.Row(2), 12), 0);
  image->SwapRedBlue();
  EXPECT_EQ(image->At(1, 0).Red(), o.At(1, 4).Blue());
  EXPECT_EQ(image->At(1, 0).Blue(), o.At(1, 4).Red());
  EXPECT_EQ(image->At(1, 0).Green(), o.At(1, 4).Green());
}

TEST(Image, FillRectSpreadsItsFirstRowDownward) {
  CvxImageColor8 image(4, 4, true);
  image.At(0, 2) = CvxColor8(9, 9, 9);
  image.FillRect(1, 1, 2, 2, CvxColor8(1, 2, 3));
  EXPECT_EQ(image.At(0, 1).c[0], 0);
  EXPECT_EQ(image.At(1, 1).c[2], 3);
  EXPECT_EQ(image.At(2, 1).c[2], 3);
  EXPECT_EQ(image.At(3, 1).c[2], 0);
  EXPECT_EQ(image.At(0, 2).c[0], 0) << "row 2 takes all of row 1";
  EXPECT_EQ(image.At(2, 2).c[1], 2);
  EXPECT_EQ(image.At(2, 3).c[1], 0) << "below the rectangle";
  image.FillRect(0, 3, 9, 5, CvxColor8(7, 7, 7));  // clipped to the image
  EXPECT_EQ(image.At(3, 3).c[0], 7);
  image.FillRect(0, 4, 1, 1, CvxColor8(5, 5, 5));  // a row outside: nothing
  image.FillRect(-2, 0, 3, 1, CvxColor8(6, 6, 6));
  EXPECT_EQ(image.At(0, 0).c[0], 6);
  EXPECT_EQ(image.At(1, 0).c[0], 0);
}

}  // namespace
}  // namespace glintora
