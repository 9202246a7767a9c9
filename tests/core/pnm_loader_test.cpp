// The PNM loader on grey and pixel maps written byte by byte at test time, with comments,
// odd whitespace and damaged headers.

#include "core/loaders/pnm_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fixtures.h"
#include "format_fixtures.h"
#include "loader_file_test.h"

namespace glintora {
namespace {

using testing::PnmFile;
using Bytes = std::vector<uint8_t>;
using Values = std::vector<int>;
using testing::AllValues;

// Red-green-blue samples in the blue-green-red order of a colour image.
Values Reordered(const Values& rgb) {
  Values bgr = rgb;
  for (size_t i = 0; i + 2 < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
  return bgr;
}

Values Ramp(int count, int step) {
  Values values;
  for (int i = 0; i < count; ++i) values.push_back(i * step);
  return values;
}

class PnmLoaderTest : public testing::LoaderFileTest<CvxLoaderPNM> {
 protected:
  PnmLoaderTest() : LoaderFileTest(".pnm", Pnm) {}

  // The header's three numbers as GetInfo reads them, and whether Load decodes.
  Values Header(const std::string& header, size_t rasterBytes) {
    const std::string path = Save(PnmFile(header, Values(rasterBytes, 1), false));
    const CvxImageHeader info = m_loader.GetInfo(path);
    return {info.m_width, info.m_height, info.m_type, m_loader.Load(path) != nullptr};
  }
};

TEST_F(PnmLoaderTest, RecognisesTheBinaryGreyAndPixelMapsOnly) {
  EXPECT_TRUE(m_loader.CanLoad(Save(PnmFile("P5 1 1 255\n", {0}, false))));
  EXPECT_TRUE(m_loader.CanLoad(Save(PnmFile("P6 1 1 255\n", {0, 0, 0}, false))));
  for (const char* magic : {"P1", "P2", "P3", "P4", "P7", "p6", "Q6"}) {
    const std::string path = Save(PnmFile(std::string(magic) + " 1 1 255\n", {48, 48, 48}, false));
    EXPECT_FALSE(m_loader.CanLoad(path)) << magic;
    EXPECT_EQ(m_loader.Load(path), nullptr) << magic;
    EXPECT_EQ(m_loader.GetInfo(path).m_width, 0) << magic;
  }
  EXPECT_FALSE(m_loader.CanLoad(Save(Bytes{'P'})));
  const std::string missing = m_folder.Path("missing.ppm");
  EXPECT_FALSE(m_loader.CanLoad(missing));
  EXPECT_EQ(m_loader.Load(missing), nullptr);
  EXPECT_EQ(m_loader.GetInfo(missing).m_type, 0);
}

TEST_F(PnmLoaderTest, PixelMapWithACommentLine) {
  const Values rgb = Ramp(18, 13);
  const Bytes file = PnmFile("P6\n# written by hand\n3\n2\n255\n", rgb, false);
  if (const auto image = Decode(file, Color8, 3, 2)) {
    EXPECT_EQ(AllValues(*image), Reordered(rgb));
    EXPECT_EQ(As<CvxColor8>(image.get())->At(0, 0).Green(), 13);
    EXPECT_EQ(As<CvxColor8>(image.get())->At(2, 1).Red(), 15 * 13);
  }
  const CvxImageHeader info = m_loader.GetInfo(Save(file));
  EXPECT_EQ((Values{info.m_width, info.m_height, info.m_format, info.m_type}), (Values{3, 2, Pnm, Color8}));
}

TEST_F(PnmLoaderTest, SixteenBitSamplesAreSwappedAndNotRescaled) {
  // Maximum 65535: grey 0x1234 is stored 12 34 and kept little-endian.
  if (const auto image = Decode(PnmFile("P5 2 1 65535\n", {0x1234, 0xFF01}, true), Gray16, 2, 1)) {
    EXPECT_EQ(Bytes(image->GetRows()[0], image->GetRows()[0] + 4), (Bytes{0x34, 0x12, 0x01, 0xFF}));
  }
  // Maximum 1023: the samples stay between 0 and 1023.
  const Values rgb = {0, 1023, 512, 1, 2, 3};
  if (const auto image = Decode(PnmFile("P6 2 1 1023\n", rgb, true), Color16, 2, 1)) {
    EXPECT_EQ(AllValues(*image), Reordered(rgb));
  }
  // The width of a sample changes between 255 and 256; 8-bit samples are not rescaled
  // either.
  if (const auto image = Decode(PnmFile("P5 2 1 255\n", {0x12, 0x34}, false), Gray8, 2, 1)) {
    EXPECT_EQ(AllValues(*image), (Values{0x12, 0x34}));
  }
  if (const auto image = Decode(PnmFile("P5 2 1 256\n", {0x12, 0x34}, true), Gray16, 2, 1)) {
    EXPECT_EQ(AllValues(*image), (Values{0x12, 0x34}));
  }
  if (const auto image = Decode(PnmFile("P6 1 1 15\n", {15, 0, 7}, false), Color8, 1, 1)) {
    EXPECT_EQ(AllValues(*image), (Values{7, 0, 15}));
  }
}

TEST_F(PnmLoaderTest, HeaderNumbersWithWhitespaceAndComments) {
  // Values: width, height, type, decoded.
  EXPECT_EQ(Header("P5\t2\r\n3 \r255\n", 6), (Values{2, 3, Gray8, 1}));
  EXPECT_EQ(Header("P5#c\n#d\r2 3 255 ", 6), (Values{2, 3, Gray8, 1}));
  // A "#" inside a number ends it: "2#…" is 2 and the comment's line feed is the byte
  // after it, so "13" is the next number.
  EXPECT_EQ(Header("P5 2#x\n13 255\n", 26), (Values{2, 13, Gray8, 1}));
  // The maximum ends at its comment: the raster starts after the comment's line end.
  EXPECT_EQ(Header("P5 2 1 255#raster next\n", 2), (Values{2, 1, Gray8, 1}));
  // Exactly one byte ends the maximum, whatever it is: a second whitespace byte is a sample.
  if (const auto image = Decode(PnmFile("P5 2 1 255\n\n", {9}, false), Gray8, 2, 1)) {
    EXPECT_EQ(AllValues(*image), (Values{'\n', 9}));
  }
  // Leading zeros are digits.
  EXPECT_EQ(Header("P5 0002 01 0255\n", 2), (Values{2, 1, Gray8, 1}));
}

TEST_F(PnmLoaderTest, BadHeadersGiveNull) {
  const Values bad = {0, 0, 0, 0};
  for (const char* header : {"P5 2 x 255\n", "P5 -2 1 255\n", "P5 2 1\n", "P5 2 1 0\n", "P5 2 1 65536\n",
                             "P5 # nothing but a comment", "P5",
                             "P5 2147483648 1 255\n", "P5 99999999999999999999 1 255\n"}) {
    EXPECT_EQ(Header(header, 2), bad) << header;
  }
  // A comment running to the end of the file ends the header (and leaves no raster).
  EXPECT_EQ(Header("P5 2 1 255# comment to the end", 2), (Values{2, 1, Gray8, 0}));
  // A side of 0 is described, but has no rows to decode.
  EXPECT_EQ(Header("P5 0 4 255\n", 0), (Values{0, 4, Gray8, 0}));
}

TEST_F(PnmLoaderTest, ShortRastersGiveNull) {
  for (const auto& [header, samples, wide] :
       {std::tuple{"P5 3 2 255\n", 6, false}, {"P6 3 2 255\n", 18, false}, {"P6 2 2 4095\n", 12, true}}) {
    const Bytes whole = PnmFile(header, Ramp(samples, 3), wide);
    EXPECT_NE(m_loader.Load(Save(whole)), nullptr) << header;
    const Bytes oneShort(whole.begin(), whole.end() - 1);
    EXPECT_EQ(m_loader.Load(Save(oneShort)), nullptr) << header;
    Bytes longer = whole;
    longer.push_back(0xEE);
    EXPECT_NE(m_loader.Load(Save(longer)), nullptr) << "bytes after the raster are not read";
  }
}

TEST_F(PnmLoaderTest, PicturesTooLargeToHoldGiveNull) {
  // 50000 × 50000 colour is 7.5 GB; 40000 × 40000 grey at 16 bits 3.2 GB; neither is read.
  EXPECT_EQ(m_loader.Load(Save(PnmFile("P6 50000 50000 255\n", {1, 2, 3}, false))), nullptr);
  EXPECT_EQ(m_loader.Load(Save(PnmFile("P5 40000 40000 65535\n", {1, 2, 3}, true))), nullptr);
  // 2147483647 × 2147483647: the byte count must not wrap.
  EXPECT_EQ(m_loader.Load(Save(PnmFile("P6 2147483647 2147483647 65535\n", {1}, true))), nullptr);
  // 20000 × 20000 grey fits in an image, but the raster is not in the file.
  EXPECT_EQ(m_loader.Load(Save(PnmFile("P5 20000 20000 255\n", {1, 2, 3}, false))), nullptr);
}

}  // namespace
}  // namespace glintora
