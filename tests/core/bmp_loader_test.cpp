#include <gtest/gtest.h>

#include "core/loaders/bmp_loader.h"
#include "fixtures.h"

namespace glintora {
namespace {

using testing::BmpRecipe;
using testing::EncodeBmp;
using testing::TempFolder;
using testing::WriteBytes;

class BmpLoader : public ::testing::Test {
 protected:
  std::unique_ptr<CvxImage> LoadRecipe(const BmpRecipe& recipe) {
    const std::string path = m_folder.Path("picture.bmp");
    WriteBytes(path, EncodeBmp(recipe));
    return m_loader.Load(path);
  }
  TempFolder m_folder;
  CvxLoaderBMP m_loader;
};

TEST_F(BmpLoader, OneBitIgnoresThePaletteAndReadsEveryPixel) {
  BmpRecipe recipe{9, 2, 1};
  recipe.palette = {0xFFFFFF, 0x000000};  // inverted palette: ignored
  recipe.rows = {{1, 0, 1, 1, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 0, 0, 1, 0}};
  auto image = LoadRecipe(recipe);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->GetType(), Gray8);
  EXPECT_EQ(image->m_format, Bmp);
  const auto& g = static_cast<const CvxImageGray8&>(*image);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(g.At(x, y).c[0], recipe.rows[y][x] ? 255 : 0) << x << "," << y;
  }
}

TEST_F(BmpLoader, PaletteDepthsMapThroughThePalette) {
  for (int bits : {4, 8}) {
    BmpRecipe recipe{5, 3, bits};
    recipe.palette = {0x000000, 0x102030, 0xA0B0C0, 0xFF0000, 0x00FF00, 0x0000FF};
    recipe.rows = {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}, {0, 0, 2, 2, 5}};
    auto image = LoadRecipe(recipe);
    ASSERT_NE(image, nullptr) << bits;
    ASSERT_EQ(image->GetType(), Color8);
    const auto& c = static_cast<const CvxImageColor8&>(*image);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) {
        const uint32_t rgb = recipe.palette[recipe.rows[y][x]];
        EXPECT_EQ(c.At(x, y).Red(), (rgb >> 16) & 0xFF) << bits << " " << x << "," << y;
        EXPECT_EQ(c.At(x, y).Green(), (rgb >> 8) & 0xFF);
        EXPECT_EQ(c.At(x, y).Blue(), rgb & 0xFF);
      }
    }
  }
}

TEST_F(BmpLoader, TrueColourRowsAreCopied) {
  BmpRecipe narrow{1, 3, 24};
  narrow.rows = {{0x112233}, {0x445566}, {0x778899}};
  auto image = LoadRecipe(narrow);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetStride(), 4);
  const auto& c = static_cast<const CvxImageColor8&>(*image);
  EXPECT_EQ(c.At(0, 0).Red(), 0x11);
  EXPECT_EQ(c.At(0, 2).Blue(), 0x99);

  BmpRecipe alpha{2, 1, 32};
  alpha.rows = {{0x80A0B0C0, 0x00010203}};
  auto withAlpha = LoadRecipe(alpha);
  ASSERT_NE(withAlpha, nullptr);
  ASSERT_EQ(withAlpha->GetType(), Alpha8);
  const auto& a = static_cast<const CvxImageAlpha8&>(*withAlpha);
  EXPECT_EQ(a.At(0, 0).Alpha(), 0x80);
  EXPECT_EQ(a.At(0, 0).Red(), 0xA0);
  EXPECT_EQ(a.At(1, 0).Blue(), 0x03);
}

TEST_F(BmpLoader, TopDownAndLongerHeadersDecodeUpright) {
  BmpRecipe recipe{2, -2, 8, 124};
  recipe.palette = {0x000000, 0x0000FF, 0x00FF00};
  recipe.rows = {{1, 1}, {2, 2}};  // top row blue
  auto image = LoadRecipe(recipe);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_height, 2);
  const auto& c = static_cast<const CvxImageColor8&>(*image);
  EXPECT_EQ(c.At(0, 0).Blue(), 255);
  EXPECT_EQ(c.At(0, 1).Green(), 255);
  EXPECT_EQ(m_loader.GetInfo(m_folder.Path("picture.bmp")).m_height, 2);
}

TEST_F(BmpLoader, RecognisesOnlyUncompressedSinglePlaneDepths) {
  const std::string path = m_folder.Path("x.bmp");
  auto canLoad = [&](const BmpRecipe& recipe) {
    WriteBytes(path, EncodeBmp(recipe));
    return m_loader.CanLoad(path);
  };
  BmpRecipe good{4, 4, 24};
  EXPECT_TRUE(canLoad(good));
  BmpRecipe rle = good;
  rle.compression = 1;
  EXPECT_FALSE(canLoad(rle));
  BmpRecipe planes = good;
  planes.planes = 2;
  EXPECT_FALSE(canLoad(planes));
  BmpRecipe sixteen = good;
  sixteen.bitsPerPixel = 16;
  EXPECT_FALSE(canLoad(sixteen));
  WriteBytes(path, {'B', 'M', 0, 0});
  EXPECT_FALSE(m_loader.CanLoad(path)) << "shorter than its headers";
  WriteBytes(path, {0xFF, 0xD8, 0xFF, 0xE0});
  EXPECT_FALSE(m_loader.CanLoad(path));
  EXPECT_FALSE(m_loader.CanLoad(m_folder.Path("missing.bmp")));
}

TEST_F(BmpLoader, InfoGivesSizeTypeAndFormat) {
  const std::string path = m_folder.Path("info.bmp");
  BmpRecipe recipe{7, 5, 1};
  recipe.rows.assign(5, std::vector<uint32_t>(7, 0));
  WriteBytes(path, EncodeBmp(recipe));
  const CvxImageHeader info = m_loader.GetInfo(path);
  EXPECT_EQ(info.m_width, 7);
  EXPECT_EQ(info.m_height, 5);
  EXPECT_EQ(info.m_type, Gray8);
  EXPECT_EQ(info.m_format, Bmp);
  const CvxImageHeader none = m_loader.GetInfo(m_folder.Path("missing.bmp"));
  EXPECT_EQ(none.m_width, 0);
  EXPECT_EQ(none.m_type, 0);
}

TEST_F(BmpLoader, ShortFilesLeaveBlackRowsAndHugeOnesNothing) {
  BmpRecipe recipe{3, 4, 24};
  recipe.rows = {{0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, {0x808080, 0x808080, 0x808080},
               {0x808080, 0x808080, 0x808080}};
  std::vector<uint8_t> bytes = EncodeBmp(recipe);
  bytes.resize(bytes.size() - 2 * 12 - 5);  // the top two rows (last in the file) cut off
  const std::string path = m_folder.Path("short.bmp");
  WriteBytes(path, bytes);
  auto image = m_loader.Load(path);
  ASSERT_NE(image, nullptr);
  const auto& c = static_cast<const CvxImageColor8&>(*image);
  EXPECT_EQ(c.At(0, 3).Red(), 0x80);
  EXPECT_EQ(c.At(0, 0).Red(), 0);
  EXPECT_EQ(c.At(2, 1).Red(), 0);

  BmpRecipe wide{2097161223, -3, 32};  // row bytes overflow 32 bits
  WriteBytes(path, EncodeBmp(wide));
  EXPECT_EQ(m_loader.Load(path), nullptr);
  BmpRecipe huge{100000, 100000, 24};
  WriteBytes(path, EncodeBmp(huge));
  EXPECT_EQ(m_loader.Load(path), nullptr);
  BmpRecipe empty{0, 5, 8};
  WriteBytes(path, EncodeBmp(empty));
  EXPECT_EQ(m_loader.Load(path), nullptr);
}

}  // namespace
}  // namespace glintora
