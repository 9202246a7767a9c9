#include <gtest/gtest.h>

#include <cstring>

#include <jpeglib.h>

#include "core/base/file_io.h"
#include "core/loaders/image_loader.h"
#include "core/loaders/jpeg_loader.h"
#include "allocation_watch.h"
#include "fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::EncodeJpeg;
using testing::JpegRecipe;
using testing::TempFolder;
using testing::WriteBytes;

// A smooth picture that survives JPEG compression closely.
std::unique_ptr<CvxImageColor8> Gradient(int width, int height) {
  auto image = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image->At(x, y) = CvxColor8(static_cast<uint8_t>(40 + 150 * x / width), static_cast<uint8_t>(90),
                                  static_cast<uint8_t>(30 + 200 * y / height));
    }
  }
  return image;
}

// Largest difference of any channel between two Color8 images of the same size.
int MaxDifference(const CvxImageColor8& a, const CvxImageColor8& b) {
  int worst = 0;
  for (int y = 0; y < a.m_height; ++y) {
    for (int x = 0; x < a.m_width; ++x) {
      for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(a.At(x, y).c[ch] - b.At(x, y).c[ch]));
    }
  }
  return worst;
}

class JpegLoader : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = m_folder.Path(name);
    WriteBytes(path, bytes);
    return path;
  }
  TempFolder m_folder;
  CvxLoaderJPEG m_loader;
};

TEST_F(JpegLoader, RecognisesTheThreeByteSignature) {
  EXPECT_TRUE(m_loader.CanLoad(Write("a.jpg", {0xFF, 0xD8, 0xFF, 0xE0})));
  EXPECT_FALSE(m_loader.CanLoad(Write("b.jpg", {0xFF, 0xD8, 0x00, 0xE0})));
  EXPECT_FALSE(m_loader.CanLoad(Write("c.jpg", {0xFF, 0xD8})));
  EXPECT_FALSE(m_loader.CanLoad(m_folder.Path("missing.jpg")));
}

TEST_F(JpegLoader, FullSizeDecodeIsBlueGreenRedTopRowFirst) {
  const auto picture = Gradient(64, 48);
  const std::string path = Write("colour.jpg", EncodeJpeg(*picture));
  auto image = m_loader.Load(path);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->GetType(), Color8);
  EXPECT_EQ(image->m_format, Jpeg);
  EXPECT_LE(MaxDifference(static_cast<const CvxImageColor8&>(*image), *picture), 12);

  // The general path gives the same picture within the decoders' rounding.
  auto general = m_loader.Load(path, {.scale = 1});
  ASSERT_NE(general, nullptr);
  ASSERT_EQ(general->GetType(), Color8);
  EXPECT_LE(MaxDifference(static_cast<const CvxImageColor8&>(*general), *picture), 12);

  const CvxImageHeader info = m_loader.GetInfo(path);
  EXPECT_EQ(info.m_width, 64);
  EXPECT_EQ(info.m_height, 48);
  EXPECT_EQ(info.m_type, Color8);
  EXPECT_EQ(info.m_format, Jpeg);
}

TEST_F(JpegLoader, GreyIsColourOnTheFastPathAndGreyOnTheGeneralPath) {
  const auto picture = Gradient(40, 24);
  JpegRecipe recipe;
  recipe.gray = true;
  const std::string path = Write("grey.jpg", EncodeJpeg(*picture, recipe));
  auto fast = m_loader.Load(path);
  ASSERT_NE(fast, nullptr);
  ASSERT_EQ(fast->GetType(), Color8);
  const auto& c = static_cast<const CvxImageColor8&>(*fast);
  EXPECT_EQ(c.At(5, 5).Red(), c.At(5, 5).Blue());
  EXPECT_NEAR(c.At(5, 5).Green(), 90, 3);

  auto general = m_loader.Load(path, {.scale = 1});
  ASSERT_NE(general, nullptr);
  EXPECT_EQ(general->GetType(), Gray8);
  EXPECT_EQ(m_loader.GetInfo(path).m_type, Gray8);
}

TEST_F(JpegLoader, ScaleIsThePowerOfTwoNearestTheRatio) {
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(2000, 1504, 500), 4);
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(2000, 1504, 700), 2);  // 2.86 is nearer 2
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(2001, 1504, 500), 1);  // not a multiple of 8
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(2000, 1500, 500), 1);
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(1200, 800, 600), 2);
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(1200, 800, 1200), 1);  // not below the width
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(1200, 800, 400), 2);   // 3.0: a tie keeps the smaller
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(1600, 800, 100), 8);
  EXPECT_EQ(CvxLoaderJPEG::ChooseScale(1600, 800, 0), 1);
}

TEST_F(JpegLoader, ReducedDecodesHaveExactSizes) {
  const auto picture = Gradient(2000, 1504);
  const std::string path = Write("big.jpg", EncodeJpeg(*picture, {75}));
  auto quarter = m_loader.Load(path, {.targetWidth = 500});
  ASSERT_NE(quarter, nullptr);
  EXPECT_EQ(std::pair(quarter->m_width, quarter->m_height), std::pair(500, 376));
  auto half = m_loader.Load(path, {.targetWidth = 700, .fastTransform = true});
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(std::pair(half->m_width, half->m_height), std::pair(1000, 752));
  const auto odd = Gradient(2001, 16);
  auto unscaled = m_loader.Load(Write("odd.jpg", EncodeJpeg(*odd, {75})), {.targetWidth = 500});
  ASSERT_NE(unscaled, nullptr);
  EXPECT_EQ(unscaled->m_width, 2001);
}

TEST_F(JpegLoader, ProgressiveAndCmykPictures) {
  const auto picture = Gradient(48, 40);
  JpegRecipe progressive;
  progressive.progressive = true;
  auto image = m_loader.Load(Write("progressive.jpg", EncodeJpeg(*picture, progressive)));
  ASSERT_NE(image, nullptr);
  EXPECT_LE(MaxDifference(static_cast<const CvxImageColor8&>(*image), *picture), 12);

  // Four components come back as three, the inverted Adobe form undone.
  JpegRecipe cmyk;
  cmyk.cmyk = true;
  auto converted = m_loader.Load(Write("cmyk.jpg", EncodeJpeg(*picture, cmyk)));
  ASSERT_NE(converted, nullptr);
  ASSERT_EQ(converted->GetType(), Color8);
  EXPECT_LE(MaxDifference(static_cast<const CvxImageColor8&>(*converted), *picture), 12);
}

// With black ink each channel is stored × K / 255, rounded half down: (v·K + 127) / 255.
// A flat picture at quality 100 stored as plain CMYK decodes to its stored values exactly.
TEST_F(JpegLoader, CmykWithBlackInkRoundsEachChannel) {
  CvxImageColor8 flat(16, 16, true);
  flat.FillRect(0, 0, 16, 16, CvxColor8(255, 1, 200));  // stored C, M, Y = 200, 1, 255
  JpegRecipe recipe;
  recipe.quality = 100;
  recipe.cmyk = true;
  recipe.storeCmyk = true;
  recipe.cmykBlack = 127;
  for (int targetWidth : {0, 16}) {  // the fast path hands four components to the general one
    auto image = m_loader.Load(Write("black.jpg", EncodeJpeg(flat, recipe)), {.targetWidth = targetWidth});
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetType(), Color8);
    const CvxColor8& pixel = static_cast<const CvxImageColor8&>(*image).At(5, 9);
    // 200·127 = 25400: 100 (a plain cut gives 99); 1·127: 0 (adding 128 gives 1); 255·127: 127.
    EXPECT_EQ(pixel.Red(), 100);
    EXPECT_EQ(pixel.Green(), 0);
    EXPECT_EQ(pixel.Blue(), 127);
  }
}

TEST_F(JpegLoader, DamagedOrStoppedDecodesGiveNothing) {
  const auto picture = Gradient(64, 64);
  std::vector<uint8_t> bytes = EncodeJpeg(*picture);
  // The frame header's sample precision (the byte after its length) set to 7 bits.
  std::vector<uint8_t> header = bytes;
  for (size_t i = 0; i + 4 < header.size(); ++i) {
    if (header[i] == 0xFF && header[i + 1] == 0xC0) {
      header[i + 4] = 7;
      break;
    }
  }
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 30);
  for (const auto& [name, data] : {std::pair{"header.jpg", header}, std::pair{"cut.jpg", cut}}) {
    const std::string path = Write(name, data);
    EXPECT_TRUE(m_loader.CanLoad(path));
    EXPECT_EQ(m_loader.Load(path), nullptr) << name;
    EXPECT_EQ(m_loader.GetInfo(path).m_type, 0) << name;
  }
  // A picture whose data stops early still decodes: what the data holds on top, black below
  // where it ended, on both decoding paths.
  std::vector<uint8_t> truncated(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() * 2 / 3));
  for (const int targetWidth : {0, 32}) {
    auto partial = m_loader.Load(Write("truncated.jpg", truncated), {.targetWidth = targetWidth});
    ASSERT_NE(partial, nullptr) << targetWidth;
    ASSERT_EQ(partial->GetType(), Color8);
    const auto& colour = static_cast<const CvxImageColor8&>(*partial);
    const int scale = 64 / colour.m_width;
    EXPECT_NEAR(colour.At(10, 2).c[2], picture->At(10 * scale, 2 * scale).c[2], 12) << targetWidth;
    const CvxColor8& last = colour.At(colour.m_width - 1, colour.m_height - 1);
    EXPECT_EQ(last.c[0] + last.c[1] + last.c[2], 0) << targetWidth;
  }
  const std::string path = Write("good.jpg", bytes);
  m_loader.m_stop = true;
  EXPECT_EQ(m_loader.Load(path, {.scale = 1}), nullptr);
  m_loader.m_stop = false;
}

// Files from which no complete row comes out are no picture at any scale, and cost neither
// time nor memory: a small file claiming a huge picture (once shown black when decoded
// reduced, since the reduced size fits the size limit), and a file whose scans are kept
// apart, which the library reads whole into coefficients at the claimed size (once 3 GB).
TEST_F(JpegLoader, FilesWithoutACompleteRowGiveNothingAtEveryScale) {
  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"cut-giant.jpg", testing::CutGiantJpeg()},
      {"small-claims-wide.jpg", testing::JpegClaimingSize(EncodeJpeg(*Gradient(64, 64)), 8000, 4000)},
      {"separate-scans.jpg", testing::ReadFinding("jpeg/jpeg-getinfo-3gb.jpg")},
  };
  CvxImageLoader front(CvxColor8{});
  for (const auto& [name, bytes] : files) {
    ASSERT_FALSE(bytes.empty()) << name;
    const std::string path = Write(name, bytes);
    const testing::AllocationWatch watch;
    EXPECT_GT(m_loader.GetInfo(path).m_width, 4000) << name << ": the claimed size is still told";
    EXPECT_EQ(m_loader.Load(path), nullptr) << name;
    EXPECT_EQ(m_loader.Load(path, {.targetWidth = 500}), nullptr) << name;
    for (const int scale : {1, 2, 4, 8}) EXPECT_EQ(m_loader.Load(path, {.scale = scale}), nullptr) << name << " 1/" << scale;
    ImageSize stored;
    EXPECT_EQ(front.LoadToCover(path, [](ImageSize) { return ImageSize{640, 480}; }, stored), nullptr) << name;
    if (testing::AllocationWatch::Available() && bytes.size() < 1000) {
      EXPECT_LT(watch.Total(), size_t{64} << 20) << name << ": refused before the library allocates";
    }
  }
  // Cut after its first rows of blocks at its true size, it gives those rows at every scale.
  std::vector<uint8_t> half = EncodeJpeg(*testing::NoisePicture(320, 240));
  half.resize(half.size() / 2);
  const std::string cut = Write("cut.jpg", half);
  for (const int scale : {1, 2, 4, 8}) EXPECT_NE(m_loader.Load(cut, {.scale = scale}), nullptr) << "1/" << scale;
}

// Compressed data from memory through the caller-supplied source routines.
struct MemorySource {
  static const std::vector<uint8_t>* bytes;
  static void Init(j_decompress_ptr) {}
  static boolean Fill(j_decompress_ptr info) {
    static const JOCTET kEnd[] = {0xFF, JPEG_EOI};
    if (info->src->next_input_byte) {
      info->src->next_input_byte = kEnd;
      info->src->bytes_in_buffer = 2;
    } else {
      info->src->next_input_byte = bytes->data();
      info->src->bytes_in_buffer = bytes->size();
    }
    return TRUE;
  }
  static void Skip(j_decompress_ptr info, long count) {
    while (count > static_cast<long>(info->src->bytes_in_buffer)) {
      count -= static_cast<long>(info->src->bytes_in_buffer);
      Fill(info);
    }
    info->src->next_input_byte += count;
    info->src->bytes_in_buffer -= static_cast<size_t>(count);
  }
  static void Term(j_decompress_ptr) {}
};
const std::vector<uint8_t>* MemorySource::bytes = nullptr;

TEST_F(JpegLoader, DecodesFromACallerSuppliedSource) {
  const auto picture = Gradient(32, 16);
  const std::vector<uint8_t> bytes = EncodeJpeg(*picture);
  MemorySource::bytes = &bytes;
  JpegSourceRoutines routines;
  routines.init = MemorySource::Init;
  routines.fill = MemorySource::Fill;
  routines.skip = MemorySource::Skip;
  routines.term = MemorySource::Term;
  auto image = m_loader.LoadFromSource(routines, {});
  ASSERT_NE(image, nullptr);
  EXPECT_LE(MaxDifference(static_cast<const CvxImageColor8&>(*image), *picture), 12);
  EXPECT_EQ(m_loader.LoadFromSource(JpegSourceRoutines{}, {}), nullptr) << "no routines, no picture";
}

}  // namespace
}  // namespace glintora
