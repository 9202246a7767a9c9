#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "../../tools/demo_pictures/demo_pictures.h"
#include "core/loaders/image_loader.h"
#include "fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using demo::DemoFormat;

int FormatCode(DemoFormat format) {
  switch (format) {
    case DemoFormat::Jpeg:
    case DemoFormat::GrayJpeg: return Jpeg;
    case DemoFormat::Png: return Png;
    case DemoFormat::Tiff: return Tiff;
    case DemoFormat::Bmp: return Bmp;
  }
  return 0;
}

// Mean absolute difference of one channel of a lossy copy from the drawn picture's.
double MeanDifference(const CvxImageColor8& loaded, const CvxImageColor8& drawn, int loadedChannel, int drawnChannel) {
  double total = 0;
  for (int y = 0; y < drawn.m_height; ++y) {
    for (int x = 0; x < drawn.m_width; ++x) {
      total += std::abs(int{loaded.At(x, y).c[loadedChannel]} - int{drawn.At(x, y).c[drawnChannel]});
    }
  }
  return total / (double(drawn.m_width) * drawn.m_height);
}

// The folder the demo shows: every picture comes back through the program's own loader at
// its drawn size, in the format its name promises, with the drawn pixels (exactly where the
// format is lossless); the broken file is refused; and the names sort into the show order.
TEST(DemoPictures, TheProgramsLoaderReadsBackWhatWasDrawn) {
  testing::TempFolder folder;
  const std::vector<std::string> names = demo::WriteDemoPictures(folder.Path(""));
  const std::vector<demo::DemoPicture> drawn = demo::DrawDemoPictures();
  ASSERT_EQ(names.size(), drawn.size() + 3);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "file names sort in show order";
  EXPECT_EQ(names.back(), demo::kBrokenName);
  EXPECT_EQ(names[0], demo::kMovieName) << "the movies first";
  EXPECT_EQ(names[1], demo::kMovMovieName);

  CvxImageLoader loader(CvxColor8{});
  bool portrait = false, landscape = false;
  for (const demo::DemoPicture& picture : drawn) {
    SCOPED_TRACE(picture.name);
    auto loaded = loader.Load(folder.Path(picture.name));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->m_format, FormatCode(picture.format));
    ASSERT_EQ(loaded->m_width, picture.image->m_width);
    ASSERT_EQ(loaded->m_height, picture.image->m_height);
    portrait |= loaded->m_height > loaded->m_width;
    landscape |= loaded->m_width > loaded->m_height;
    if (picture.format == DemoFormat::Jpeg || picture.format == DemoFormat::GrayJpeg) {
      // Lossy: close on average. A grey JPEG comes back as three equal channels, each the
      // drawn green.
      const auto* colour = As<CvxColor8>(loaded.get());
      ASSERT_NE(colour, nullptr);
      const bool gray = picture.format == DemoFormat::GrayJpeg;
      for (int c = 0; c < 3; ++c) {
        EXPECT_LT(MeanDifference(*colour, *picture.image, c, gray ? 1 : c), 3.0) << "channel " << c;
      }
    } else {
      EXPECT_TRUE(testing::SamePixels(*loaded, *picture.image));
    }
  }
  EXPECT_TRUE(portrait && landscape);
  // The picture taken turned is stored turned: only its orientation tag stands it upright.
  CvxImageLoader asStored(CvxColor8{});
  asStored.SetAutoRotate(false);
  int turned = 0;
  for (const demo::DemoPicture& picture : drawn) {
    if (!picture.takenTurned) continue;
    ++turned;
    const auto stored = asStored.Load(folder.Path(picture.name));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->m_width, picture.image->m_height) << picture.name;
    EXPECT_EQ(stored->m_height, picture.image->m_width) << picture.name;
  }
  EXPECT_EQ(turned, 1);
  EXPECT_EQ(loader.Load(folder.Path(demo::kBrokenName)), nullptr);
  EXPECT_EQ(loader.Load(folder.Path(demo::kMovieName)), nullptr) << "the movie is no picture";
}

// The movie moves: each frame differs from the last.
TEST(DemoPictures, TheMovieMoves) {
  auto frameAt = [](int frame) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < demo::kMovieHeight; y += 6) {
      for (int x = 0; x < demo::kMovieWidth; x += 6) pixels.push_back(demo::DemoMoviePixel(frame, x, y));
    }
    return pixels;
  };
  for (int frame = 1; frame < demo::kMovieFrames; ++frame) EXPECT_NE(frameAt(frame - 1), frameAt(frame)) << frame;
}

// Every picture looks different from the others: no two share their average colour.
TEST(DemoPictures, ArePairwiseDistinct) {
  const std::vector<demo::DemoPicture> drawn = demo::DrawDemoPictures();
  std::vector<std::array<double, 3>> means;
  for (const demo::DemoPicture& picture : drawn) {
    std::array<double, 3> sum{};
    for (int y = 0; y < picture.image->m_height; ++y) {
      for (int x = 0; x < picture.image->m_width; ++x) {
        for (int c = 0; c < 3; ++c) sum[c] += picture.image->At(x, y).c[c];
      }
    }
    for (double& s : sum) s /= double(picture.image->m_width) * picture.image->m_height;
    means.push_back(sum);
  }
  for (size_t i = 0; i < means.size(); ++i) {
    for (size_t j = i + 1; j < means.size(); ++j) {
      double distance = 0;
      for (int c = 0; c < 3; ++c) distance += std::abs(means[i][c] - means[j][c]);
      EXPECT_GT(distance, 10.0) << drawn[i].name << " and " << drawn[j].name;
    }
  }
}

}  // namespace
}  // namespace glintora
