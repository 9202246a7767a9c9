// The GIF loader on files that giflib's own encoder writes at test time, and on damaged
// and hand-made ones.

#include "core/loaders/gif_loader.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/loaders/image_loader.h"
#include "fixtures.h"
#include "format_fixtures.h"

namespace glintora {
namespace {

using testing::EncodeGif;
using testing::GifFrame;
using testing::GifRecipe;
using testing::TempFolder;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

const std::vector<uint32_t> kPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xFFFFFF};

// A frame of the given size whose index at (x, y) is f(x, y).
template <typename F>
GifFrame Frame(int left, int top, int width, int height, F f) {
  GifFrame frame{left, top, width, height};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) frame.indices.push_back(static_cast<uint8_t>(f(x, y)));
  }
  return frame;
}

// 0xRRGGBB of a decoded pixel.
uint32_t Rgb(const CvxImage& image, int x, int y) {
  const CvxColor8& p = As<CvxColor8>(&image)->At(x, y);
  return uint32_t{p.Red()} << 16 | uint32_t{p.Green()} << 8 | p.Blue();
}

class GifLoaderTest : public ::testing::Test {
 protected:
  std::string Save(const Bytes& bytes) {
    const std::string path = m_folder.Path("picture" + std::to_string(++m_count) + ".gif");
    WriteBytes(path, bytes);
    return path;
  }
  std::string Save(const GifRecipe& recipe) {
    const Bytes bytes = EncodeGif(recipe);
    EXPECT_FALSE(bytes.empty()) << "giflib refused the fixture";
    return Save(bytes);
  }
  // Decodes, checking what every result must be: Color8, format Gif, the size given.
  std::unique_ptr<CvxImage> Decode(const std::string& path, int width, int height) {
    std::unique_ptr<CvxImage> image = m_loader.Load(path);
    const bool right = image && image->GetType() == Color8 && image->m_format == Gif && image->m_width == width &&
                       image->m_height == height;
    EXPECT_TRUE(right) << (image ? "wrong type, format or size" : "not decoded");
    return right ? std::move(image) : nullptr;
  }
  void SetBackground(uint32_t rgb) {
    m_loader.m_backgroundRed = static_cast<uint8_t>(rgb >> 16);
    m_loader.m_backgroundGreen = static_cast<uint8_t>(rgb >> 8);
    m_loader.m_backgroundBlue = static_cast<uint8_t>(rgb);
  }

  TempFolder m_folder;
  CvxLoaderGIF m_loader;
  int m_count = 0;
};

GifRecipe OneFrame(int width, int height) {
  GifRecipe recipe{width, height, kPalette};
  recipe.frames.push_back(Frame(0, 0, width, height, [](int x, int y) { return (x + 2 * y) % 5; }));
  return recipe;
}

TEST_F(GifLoaderTest, RecognisesOnlyTheTwoSignatures) {
  const Bytes good = EncodeGif(OneFrame(3, 2));
  ASSERT_EQ(Bytes(good.begin(), good.begin() + 6), (Bytes{'G', 'I', 'F', '8', '9', 'a'}));
  EXPECT_TRUE(m_loader.CanLoad(Save(good)));

  Bytes old = good;
  old[4] = '7';
  const std::string gif87 = Save(old);
  EXPECT_TRUE(m_loader.CanLoad(gif87));
  EXPECT_NE(m_loader.Load(gif87), nullptr);

  for (const char version : {'8', '0'}) {
    Bytes other = good;
    other[4] = static_cast<uint8_t>(version);  // "GIF88a", "GIF80a"
    const std::string path = Save(other);
    EXPECT_FALSE(m_loader.CanLoad(path)) << version;
    EXPECT_EQ(m_loader.Load(path), nullptr) << "giflib itself only checks \"GIF\"";
    EXPECT_EQ(m_loader.GetInfo(path).m_type, 0);
  }
  EXPECT_FALSE(m_loader.CanLoad(Save(Bytes{'G', 'I', 'F', '8', '9'})));
  const std::string missing = m_folder.Path("missing.gif");
  EXPECT_FALSE(m_loader.CanLoad(missing));
  EXPECT_EQ(m_loader.Load(missing), nullptr);
  const CvxImageHeader none = m_loader.GetInfo(missing);
  EXPECT_EQ(none.m_width + none.m_height + none.m_format + none.m_type, 0);
}

TEST_F(GifLoaderTest, FirstFrameTakesItsTableColours) {
  const GifRecipe recipe = OneFrame(4, 3);
  const std::string path = Save(recipe);
  const CvxImageHeader info = m_loader.GetInfo(path);
  EXPECT_EQ((std::vector<int>{info.m_width, info.m_height, info.m_format, info.m_type}),
            (std::vector<int>{4, 3, Gif, Color8}));
  if (auto image = Decode(path, 4, 3)) {
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) EXPECT_EQ(Rgb(*image, x, y), kPalette[(x + 2 * y) % 5]) << x << "," << y;
    }
  }

  // A frame's own table wins over the global one; an index beyond every table shows the
  // background.
  GifRecipe local = OneFrame(2, 1);
  local.frames[0].palette = {0xABCDEF, 0x123456};
  local.frames[0].indices = {1, 0};
  if (auto image = Decode(Save(local), 2, 1)) {
    EXPECT_EQ(Rgb(*image, 0, 0), 0x123456u);
    EXPECT_EQ(Rgb(*image, 1, 0), 0xABCDEFu);
  }
  // giflib writes only indices its table holds; a file whose data uses 8-bit indices with
  // a table of two entries is made from one with 256 by cutting the table short.
  std::vector<uint32_t> full(256, 0x999999);
  full[0] = 0x111111;
  full[1] = 0x222222;
  GifRecipe shortTable{3, 1, full};
  shortTable.frames.push_back(Frame(0, 0, 3, 1, [](int x, int) { return x == 2 ? 200 : x; }));
  Bytes file = EncodeGif(shortTable);
  ASSERT_EQ(file[10] & 0x87, 0x87) << "a global table of 256 entries";
  file[10] = static_cast<uint8_t>(file[10] & ~0x07);  // of 2 entries
  file.erase(file.begin() + 13 + 2 * 3, file.begin() + 13 + 256 * 3);
  SetBackground(0x0A0B0C);
  if (auto image = Decode(Save(file), 3, 1)) {
    EXPECT_EQ(Rgb(*image, 0, 0), 0x111111u);
    EXPECT_EQ(Rgb(*image, 1, 0), 0x222222u);
    EXPECT_EQ(Rgb(*image, 2, 0), 0x0A0B0Cu);
  }
}

TEST_F(GifLoaderTest, TransparentPixelsTakeTheBackgroundColour) {
  GifRecipe recipe = OneFrame(3, 2);
  recipe.frames[0].indices = {1, 2, 1, 0, 1, 4};
  recipe.frames[0].transparent = 1;
  const std::string path = Save(recipe);
  const std::vector<uint32_t> opaque = {0, 0x0000FF, 0, 0xFF0000, 0, 0xFFFFFF};
  for (const uint32_t background : {0x000000u, 0x406080u}) {
    SetBackground(background);
    if (auto image = Decode(path, 3, 2)) {
      for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Rgb(*image, i % 3, i / 3), i % 2 == 0 ? background : opaque[i]) << i;
      }
    }
  }
  // The show's front door passes black.
  CvxImageLoader frontDoor(CvxColor8{});
  const auto image = frontDoor.Load(path);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Rgb(*image, 0, 0), 0u);
  EXPECT_EQ(Rgb(*image, 1, 0), 0x0000FFu);
}

TEST_F(GifLoaderTest, AnimatedGifGivesItsFirstFrameOnly) {
  GifRecipe recipe{4, 3, kPalette};
  recipe.frames.push_back(Frame(1, 1, 2, 2, [](int x, int y) { return x + y; }));
  recipe.frames.push_back(Frame(0, 0, 4, 3, [](int, int) { return 4; }));  // would cover everything
  GifFrame third = Frame(0, 0, 4, 3, [](int, int) { return 3; });
  third.transparent = 0;
  recipe.frames.push_back(third);
  SetBackground(0x0F0F0F);
  if (auto image = Decode(Save(recipe), 4, 3)) {
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        const bool inFrame = x >= 1 && x <= 2 && y >= 1;
        EXPECT_EQ(Rgb(*image, x, y), inFrame ? kPalette[(x - 1) + (y - 1)] : 0x0F0F0Fu) << x << "," << y;
      }
    }
  }
}

TEST_F(GifLoaderTest, ScreenOfOneByOneReportsTheDecodedSize) {
  GifRecipe recipe{1, 1, kPalette};
  recipe.frames.push_back(Frame(0, 0, 6, 5, [](int x, int y) { return (x * y) % 5; }));
  const std::string path = Save(recipe);
  const CvxImageHeader info = m_loader.GetInfo(path);
  EXPECT_EQ((std::vector<int>{info.m_width, info.m_height, info.m_format, info.m_type}),
            (std::vector<int>{6, 5, Gif, Color8}));
  if (auto image = Decode(path, 6, 5)) {
    EXPECT_EQ(Rgb(*image, 5, 4), kPalette[0]);
  }

  // A screen with a side of 0 says no more than 1 × 1.
  recipe.screenWidth = 0;
  recipe.screenHeight = 0;
  EXPECT_EQ(m_loader.GetInfo(Save(recipe)).m_width, 6);

  // Any other screen is reported as declared, with a smaller frame placed at its offset.
  GifRecipe placed{7, 6, kPalette};
  placed.frames.push_back(Frame(2, 3, 3, 2, [](int, int) { return 2; }));
  const std::string placedPath = Save(placed);
  EXPECT_EQ(m_loader.GetInfo(placedPath).m_width, 7);
  EXPECT_EQ(m_loader.GetInfo(placedPath).m_height, 6);
  SetBackground(0x010203);
  if (auto image = Decode(placedPath, 7, 6)) {
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 7; ++x) {
        const bool inFrame = x >= 2 && x < 5 && y >= 3 && y < 5;
        EXPECT_EQ(Rgb(*image, x, y), inFrame ? 0x0000FFu : 0x010203u) << x << "," << y;
      }
    }
  }

  // A frame reaching beyond a declared screen grows the picture to hold it.
  GifRecipe beyond{4, 4, kPalette};
  beyond.frames.push_back(Frame(3, 1, 5, 2, [](int, int) { return 1; }));
  if (auto image = Decode(Save(beyond), 8, 4)) {
    EXPECT_EQ(Rgb(*image, 7, 2), 0x00FF00u);
  }
}

TEST_F(GifLoaderTest, InterlacedRowsComeOutInOrder) {
  // The stored order of a 10-row frame, as the format defines it.
  EXPECT_EQ(testing::InterlacedRowOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  // Every row its own colour, so that any row out of place shows. Heights up to 17 leave
  // passes empty or short in every combination.
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < 32; ++i) palette.push_back(i * 0x070503);
  for (int height = 1; height <= 17; ++height) {
    GifRecipe recipe{3, height, palette};
    recipe.frames.push_back(Frame(0, 0, 3, height, [](int x, int y) { return y + (x == 1 ? 11 : 0); }));
    recipe.frames[0].interlaced = true;
    auto image = Decode(Save(recipe), 3, height);
    if (!image) continue;
    for (int y = 0; y < height; ++y) {
      EXPECT_EQ(Rgb(*image, 0, y), palette[static_cast<size_t>(y)]) << "height " << height << " row " << y;
      EXPECT_EQ(Rgb(*image, 1, y), palette[static_cast<size_t>(y + 11)]) << "height " << height << " row " << y;
    }
  }
}

TEST_F(GifLoaderTest, CutShortOrFramelessFilesGiveNull) {
  GifRecipe recipe = OneFrame(9, 7);
  recipe.frames[0].interlaced = true;
  recipe.frames.push_back(Frame(0, 0, 9, 7, [](int, int) { return 3; }));
  const Bytes good = EncodeGif(recipe);
  ASSERT_FALSE(good.empty());
  // Everything before the end of the first frame's data is needed.
  GifRecipe first = recipe;
  first.frames.resize(1);
  const Bytes firstOnly = EncodeGif(first);
  const size_t firstEnd = firstOnly.size() - 1;  // its trailer follows the frame's data
  for (size_t length = 0; length < good.size(); ++length) {
    const std::string path = Save(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    const auto image = m_loader.Load(path);
    EXPECT_EQ(image != nullptr, length >= firstEnd) << length << " of " << good.size() << " bytes";
  }

  // No frame at all: the screen and the trailer.
  const Bytes empty = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0, 0, 0, ';'};
  EXPECT_EQ(m_loader.Load(Save(empty)), nullptr);
  // A screen of 1 × 1 whose picture cannot be decoded describes nothing.
  const Bytes tiny = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
  EXPECT_EQ(m_loader.GetInfo(Save(tiny)).m_type, 0);
}

TEST_F(GifLoaderTest, PicturesTooLargeOrEmptyGiveNull) {
  // A 65535 × 65535 screen holding a 1 × 1 frame: 12.9 GB of colour, more than an image may
  // hold. The declared size is still what the file says.
  GifRecipe huge{65535, 65535, kPalette};
  huge.frames.push_back(Frame(0, 0, 1, 1, [](int, int) { return 0; }));
  const std::string path = Save(huge);
  EXPECT_EQ(m_loader.GetInfo(path).m_width, 65535);
  EXPECT_EQ(m_loader.Load(path), nullptr);

  // A frame reaching 65535 + 65535 columns.
  GifRecipe far{2, 2, kPalette};
  far.frames.push_back(Frame(65535, 65535, 1, 1, [](int, int) { return 0; }));
  EXPECT_EQ(m_loader.Load(Save(far)), nullptr);

  // A 1 × 1 screen and a 2000 × 400 frame at (40000, 14000) make a 42000 × 14400 picture,
  // 1.8 GB that an image may hold, from a file of 34 bytes whose frame data is cut short:
  // null, before anything of that size is allocated or painted (a fuzzing find that timed
  // out).
  const Bytes farFrame = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                          ',', 0x40, 0x9C, 0xB0, 0x36, 0xD0, 0x07, 0x90, 0x01, 0, 2, 3, 0x84, 0x8F, 0xA9};
  const std::string farPath = Save(farFrame);
  EXPECT_EQ(m_loader.Load(farPath), nullptr);
  EXPECT_EQ(m_loader.GetInfo(farPath).m_type, 0);

  // A screen of 0 × 0 with a frame of 0 × 0 has no rows.
  const Bytes nothing = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0,
                         ',', 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, ';'};
  EXPECT_EQ(m_loader.Load(Save(nothing)), nullptr);
}

}  // namespace
}  // namespace glintora
