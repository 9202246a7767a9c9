// The PSD loader on documents written byte by byte at test time: raw and run-length, 8 and
// 16 bits, one to five channels, with hand-made run-length records where the exact
// records matter.

#include "core/loaders/psd_loader.h"

#include <gtest/gtest.h>

#include <vector>

#include "fixtures.h"
#include "format_fixtures.h"
#include "loader_file_test.h"

namespace glintora {
namespace {

using testing::EncodePsd;
using testing::EncodePsdStart;
using testing::PsdRecipe;
using Bytes = std::vector<uint8_t>;
using Values = std::vector<int>;
using testing::AllValues;

// A document whose plane c holds sample (c + 1) · 16 + i at position i, scaled up at 16
// bits so that both bytes differ.
PsdRecipe Document(int width, int height, int channels, int depth, int compression, int mode = 3) {
  PsdRecipe recipe{width, height, channels, depth, mode, 1, compression, {5, 12, 3}};
  for (int c = 0; c < channels; ++c) {
    std::vector<uint16_t> plane;
    for (int i = 0; i < width * height; ++i) {
      const int value = (c + 1) * 16 + i;
      plane.push_back(static_cast<uint16_t>(depth == 16 ? value * 257 + 1 : value));
    }
    recipe.planes.push_back(plane);
  }
  return recipe;
}

// What a decode of Document(...) must hold: file channel f of pixel i in the image channel
// `placement[f]`.
Values Expected(const PsdRecipe& recipe, const std::vector<int>& placement) {
  const int channels = static_cast<int>(placement.size());
  Values values(static_cast<size_t>(recipe.width * recipe.height * channels));
  for (int i = 0; i < recipe.width * recipe.height; ++i) {
    for (int f = 0; f < channels; ++f) values[static_cast<size_t>(i * channels + placement[f])] = recipe.planes[f][i];
  }
  return values;
}

class PsdLoaderTest : public testing::LoaderFileTest<CvxLoaderPSD> {
 protected:
  PsdLoaderTest() : LoaderFileTest(".psd", Psd) {}

  // The samples of a 1-channel 8-bit document of the given size whose run-length data is
  // `records` (after a row table of zeros).
  Values DecodeRecords(int width, int height, int channels, const Bytes& records) {
    PsdRecipe recipe{width, height, channels, 8, 3, 1, 1};
    Bytes file = EncodePsdStart(recipe);
    file.insert(file.end(), static_cast<size_t>(height * channels * 2), 0);
    file.insert(file.end(), records.begin(), records.end());
    const auto image = Decode(file, ImageTypeFor(channels < 3 ? 1 : channels, 1), width, height);
    return image ? AllValues(*image) : Values{};
  }
};

TEST_F(PsdLoaderTest, RecognisesTheSignature) {
  const std::string psd = Save(EncodePsd(Document(1, 1, 3, 8, 0)));
  EXPECT_TRUE(m_loader.CanLoad(psd));
  for (const Bytes& other : {Bytes{'8', 'B', 'P', 'B', 0, 1}, Bytes{'8', 'B', 'P'}, Bytes{'P', '6', '\n'}}) {
    const std::string path = Save(other);
    EXPECT_FALSE(m_loader.CanLoad(path));
    EXPECT_EQ(m_loader.Load(path), nullptr);
  }
  EXPECT_FALSE(m_loader.CanLoad(m_folder.Path("missing.psd")));
  EXPECT_EQ(m_loader.Load(m_folder.Path("missing.psd")), nullptr);
}

TEST_F(PsdLoaderTest, ChannelsLandInPlaceAtEitherCompression) {
  struct Case {
    int channels, mode;
    int32_t type;
    std::vector<int> placement;  // image channel of each file channel read
  };
  const Case cases[] = {
      {1, 1, Gray8, {0}},
      {2, 1, Gray8, {0}},        // grey with alpha: the alpha is not read
      {3, 1, Gray8, {0}},        // grey with two saved selections stays grey
      {3, 3, Color8, {2, 1, 0}},  // red, green, blue into blue-green-red
      {4, 3, Alpha8, {2, 1, 0, 3}},
      {5, 3, Alpha8, {2, 1, 0, 3}},  // the fifth channel is not read
      {2, 3, Gray8, {0}},
  };
  for (const Case& c : cases) {
    for (int compression : {0, 1}) {
      for (int depth : {8, 16}) {
        const PsdRecipe recipe = Document(5, 3, c.channels, depth, compression, c.mode);
        const int32_t type = depth == 8 ? c.type : c.type + 1;  // the 16-bit twin of each type
        const std::string path = Save(EncodePsd(recipe));
        const auto image = m_loader.Load(path);
        const std::string name = std::to_string(c.channels) + " channels, mode " + std::to_string(c.mode) +
                                 ", compression " + std::to_string(compression) + ", " + std::to_string(depth) +
                                 " bits";
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->GetType(), type) << name;
        EXPECT_EQ(image->m_format, Psd);
        EXPECT_EQ(AllValues(*image), Expected(recipe, c.placement)) << name;
        // GetInfo names the type the decode gave.
        const CvxImageHeader info = m_loader.GetInfo(path);
        EXPECT_EQ((Values{info.m_width, info.m_height, info.m_format, info.m_type}), (Values{5, 3, Psd, type}))
            << name;
      }
    }
  }
}

TEST_F(PsdLoaderTest, SixteenBitSamplesAreReadBigEndian) {
  PsdRecipe recipe{2, 1, 3, 16, 3, 1, 0};
  recipe.planes = {{0x1234, 0xFF00}, {0xABCD, 0x0001}, {0x00FF, 0x8000}};
  for (int compression : {0, 1}) {
    recipe.compression = compression;
    if (const auto image = Decode(EncodePsd(recipe), Color16, 2, 1)) {
      const uint8_t* bytes = image->GetRows()[0];
      // Blue, green, red of each pixel, little-endian in memory.
      EXPECT_EQ(Bytes(bytes, bytes + 12), (Bytes{0xFF, 0x00, 0xCD, 0xAB, 0x34, 0x12, 0x00, 0x80, 0x01, 0x00, 0x00, 0xFF}))
          << compression;
    }
  }
}

TEST_F(PsdLoaderTest, RunLengthRecords) {
  // 255 repeats the next sample twice, 0 copies one sample, 128 is nothing.
  EXPECT_EQ(DecodeRecords(3, 1, 1, {255, 7, 128, 0, 9}), (Values{7, 7, 9}));
  // Runs go on across the end of a row.
  EXPECT_EQ(DecodeRecords(2, 2, 1, {254, 5, 0, 6}), (Values{5, 5, 5, 6}));
  // A repeat run is cut at the end of its channel; the next channel starts at the next
  // record.
  EXPECT_EQ(DecodeRecords(2, 1, 3, {200, 1, 255, 2, 129, 3}), (Values{3, 2, 1, 3, 2, 1}));
  // So is a literal run, whose samples beyond the end are read and dropped.
  EXPECT_EQ(DecodeRecords(2, 1, 3, {3, 1, 2, 98, 99, 1, 4, 5, 255, 6}), (Values{6, 4, 1, 6, 5, 2}));
  // At 16 bits the records count 2-byte samples.
  PsdRecipe wide{3, 1, 1, 16, 1, 1, 1};
  Bytes file = EncodePsdStart(wide);
  file.insert(file.end(), {0, 0, 255, 0x12, 0x34, 0, 0xAB, 0xCD});
  if (const auto image = Decode(file, Gray16, 3, 1)) {
    EXPECT_EQ(AllValues(*image), (Values{0x1234, 0x1234, 0xABCD}));
  }
}

TEST_F(PsdLoaderTest, ZipCompressionGivesABlackPictureOfTheRightSize) {
  for (int compression : {2, 3}) {
    for (int depth : {8, 16}) {
      PsdRecipe recipe = Document(4, 3, 4, depth, compression);
      if (const auto image = Decode(EncodePsd(recipe), depth == 8 ? Alpha8 : Alpha16, 4, 3)) {
        EXPECT_EQ(AllValues(*image), Values(4 * 3 * 4, 0)) << compression << ", " << depth << " bits";
      }
    }
  }
}

TEST_F(PsdLoaderTest, UnsupportedDocumentsGiveNull) {
  const PsdRecipe good = Document(3, 2, 3, 8, 0);
  auto check = [&](PsdRecipe recipe, const char* what, Values info) {
    const std::string path = Save(EncodePsd(recipe));
    EXPECT_EQ(m_loader.Load(path), nullptr) << what;
    const CvxImageHeader header = m_loader.GetInfo(path);
    EXPECT_EQ((Values{header.m_width, header.m_height, header.m_format, header.m_type}), info) << what;
  };
  const Values none = {0, 0, 0, 0};
  PsdRecipe recipe = good;
  recipe.version = 2;
  check(recipe, "version 2", none);
  for (int mode : {0, 2, 4, 7, 8, 9}) {  // bitmap, indexed, CMYK, multichannel, duotone, Lab
    recipe = good;
    recipe.mode = mode;
    check(recipe, "mode", none);
  }
  recipe = good;
  recipe.channels = 0;
  check(recipe, "no channels", none);
  for (int depth : {1, 32}) {
    recipe = good;
    recipe.depth = depth;
    check(recipe, "depth", Values{3, 2, Psd, 0});  // described, but no type
  }
}

TEST_F(PsdLoaderTest, TruncatedDocumentsGiveNull) {
  for (int compression : {0, 1}) {
    const Bytes good = EncodePsd(Document(4, 3, 4, 16, compression));
    ASSERT_NE(Decode(good, Alpha16, 4, 3), nullptr);
    for (size_t length = 0; length < good.size(); ++length) {
      const std::string path = Save(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
      EXPECT_EQ(m_loader.Load(path), nullptr) << compression << ": " << length << " bytes";
      // A header cut short is described by nothing, and no exception leaves.
      if (length < 26) {
        EXPECT_EQ(m_loader.GetInfo(path).m_width, 0) << length;
      }
    }
  }
  // A section longer than the rest of the file.
  Bytes file = EncodePsd(Document(2, 2, 3, 8, 0));
  file[26] = 0x7F;
  EXPECT_EQ(m_loader.Load(Save(file)), nullptr);
}

TEST_F(PsdLoaderTest, DocumentsTooLargeOrEmptyGiveNull) {
  // 30000 × 30000 colour is 2.7 GB, beyond what an image may hold.
  PsdRecipe big{30000, 30000, 3, 8, 3, 1, 2};
  EXPECT_EQ(m_loader.Load(Save(EncodePsd(big))), nullptr);
  // Sides beyond 31 bits.
  PsdRecipe far{1, 1, 1, 8, 1, 1, 0};
  Bytes file = EncodePsd(far);
  for (const int at : {14, 18}) {  // height, width
    Bytes wide = file;
    wide[static_cast<size_t>(at)] = 0xFF;
    const std::string path = Save(wide);
    EXPECT_EQ(m_loader.Load(path), nullptr);
    EXPECT_EQ(m_loader.GetInfo(path).m_type, 0);
  }
  // 20000 × 20000 grey fits in an image, but a few bytes of data do not hold it: refused
  // before anything is allocated, raw or run-length.
  for (int compression : {0, 1}) {
    PsdRecipe claimed{20000, 20000, 1, 8, 1, 1, compression};
    Bytes bytes = EncodePsdStart(claimed);
    bytes.insert(bytes.end(), 64, 0);
    EXPECT_EQ(m_loader.Load(Save(bytes)), nullptr) << compression;
  }
  // No rows.
  PsdRecipe empty{4, 0, 3, 8, 3, 1, 0};
  EXPECT_EQ(m_loader.Load(Save(EncodePsd(empty))), nullptr);
}

}  // namespace
}  // namespace glintora
