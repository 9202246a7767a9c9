// The PNG loader on pictures that libpng's own encoder writes at test time, and on damaged
// and hand-made files.

#include "core/loaders/png_loader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <optional>
#include <tuple>
#include <vector>

#include "image_helpers.h"
#include "loader_file_test.h"

namespace glintora {
namespace {

using Bytes = std::vector<uint8_t>;
using Values = std::vector<int>;

// A picture to encode: samples row by row in the file's channel order (red, green, blue,
// alpha; grey, alpha; palette index), each at the file's bit depth.
struct PngPicture {
  PngPicture(int w, int h, int type, int depth, Values values = {})
      : width(w), height(h), colorType(type), bitDepth(depth), samples(std::move(values)) {}

  int width;
  int height;
  int colorType;
  int bitDepth;
  Values samples;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;       // tRNS of a palette picture
  std::optional<png_color_16> transparent;  // tRNS of a grey or RGB picture
  std::optional<png_color_16> background;   // bKGD
  std::optional<double> gamma;              // gAMA
  bool srgb = false;                        // sRGB (with its usual gAMA)
};

int ChannelsOf(int colorType) {
  return colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : colorType == PNG_COLOR_TYPE_RGB ? 3
         : colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 1;
}

// File rows: samples below 8 bits packed from the high bit, 16-bit samples big-endian.
std::vector<Bytes> PackRows(const PngPicture& picture) {
  const int perRow = picture.width * ChannelsOf(picture.colorType);
  std::vector<Bytes> rows(picture.height, Bytes((static_cast<size_t>(perRow) * picture.bitDepth + 7) / 8));
  for (int y = 0; y < picture.height; ++y) {
    for (int i = 0; i < perRow; ++i) {
      const int sample = picture.samples[static_cast<size_t>(y) * perRow + i];
      if (picture.bitDepth == 16) {
        rows[y][2 * i] = static_cast<uint8_t>(sample >> 8);
        rows[y][2 * i + 1] = static_cast<uint8_t>(sample);
      } else {
        const int bit = i * picture.bitDepth;
        rows[y][bit / 8] |= static_cast<uint8_t>(sample << (8 - picture.bitDepth - bit % 8));
      }
    }
  }
  return rows;
}

void AppendBytes(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

struct PngWriter {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// libpng's encoder; plain data only in this frame, for the longjmp of an error.
bool EncodeRows(PngWriter& writer, const PngPicture& picture, png_bytepp rows, Bytes& out) {
  if (setjmp(png_jmpbuf(writer.png))) return false;
  png_set_write_fn(writer.png, &out, AppendBytes, nullptr);
  png_set_check_for_invalid_index(writer.png, 1);  // out-of-range indices are a test case
  png_set_IHDR(writer.png, writer.info, picture.width, picture.height, picture.bitDepth, picture.colorType,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty()) {
    png_set_PLTE(writer.png, writer.info, picture.palette.data(), static_cast<int>(picture.palette.size()));
  }
  if (!picture.paletteAlpha.empty()) {
    png_set_tRNS(writer.png, writer.info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()),
                 nullptr);
  }
  if (picture.transparent) png_set_tRNS(writer.png, writer.info, nullptr, 0, &*picture.transparent);
  if (picture.background) png_set_bKGD(writer.png, writer.info, &*picture.background);
  if (picture.gamma) png_set_gAMA(writer.png, writer.info, *picture.gamma);
  if (picture.srgb) png_set_sRGB_gAMA_and_cHRM(writer.png, writer.info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(writer.png, writer.info);
  png_write_image(writer.png, rows);
  png_write_end(writer.png, nullptr);
  return true;
}

Bytes Encode(const PngPicture& picture) {
  std::vector<Bytes> packed = PackRows(picture);
  std::vector<png_bytep> rows;
  for (Bytes& row : packed) rows.push_back(row.data());
  PngWriter writer;
  Bytes out;
  EXPECT_TRUE(EncodeRows(writer, picture, rows.data(), out));
  return out;
}

// Recomputes the checksum of every whole chunk, so that damage gets past it.
void FixChecksums(Bytes& file) {
  for (size_t at = 8; at + 12 <= file.size();) {
    const size_t length = size_t{file[at]} << 24 | size_t{file[at + 1]} << 16 | size_t{file[at + 2]} << 8 | file[at + 3];
    if (length > file.size() - at - 12) return;
    const uLong crc = crc32(0, file.data() + at + 4, static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i) file[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

// Every channel of row y, in memory order, as numbers.
Values RowValues(const CvxImage& image, int y) {
  Values values;
  const uint8_t* row = image.GetRows()[y];
  for (int i = 0; i < image.m_width * image.GetChannels(); ++i) {
    values.push_back(image.GetBytesPerChannel() == 1 ? row[i] : row[2 * i] | row[2 * i + 1] << 8);
  }
  return values;
}

class PngLoaderTest : public testing::LoaderFileTest<CvxLoaderPNG> {
 protected:
  PngLoaderTest() : LoaderFileTest(".png", Png) {}

  std::string SaveBytes(const Bytes& bytes) { return LoaderFileTest::Save(bytes); }
  static void Overwrite(const std::string& path, const Bytes& bytes) { testing::WriteBytes(path, bytes); }
  std::string Save(const PngPicture& picture) { return SaveBytes(Encode(picture)); }

  // Decodes, checking what every result must be: the PNG format, the type and the size.
  std::unique_ptr<CvxImage> Decode(const PngPicture& picture, int32_t type) {
    return LoaderFileTest::Decode(Encode(picture), type, picture.width, picture.height);
  }
  // The channels of row 0 of a decode; none when it failed.
  Values DecodedRow(const PngPicture& picture, int32_t type) {
    const auto image = Decode(picture, type);
    return image ? RowValues(*image, 0) : Values{};
  }
  void SetBackground(uint8_t red, uint8_t green, uint8_t blue) {
    m_loader.m_backgroundRed = red;
    m_loader.m_backgroundGreen = green;
    m_loader.m_backgroundBlue = blue;
  }
};

TEST_F(PngLoaderTest, RecognisesTheSignatureOnly) {
  const std::string png = Save({1, 1, PNG_COLOR_TYPE_GRAY, 8, {7}});
  EXPECT_TRUE(m_loader.CanLoad(png));
  for (const Bytes& other : {Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}, Bytes{'B', 'M', 0, 0, 0, 0}, Bytes{137, 80, 78}}) {
    const std::string path = SaveBytes(other);
    EXPECT_FALSE(m_loader.CanLoad(path));
    EXPECT_EQ(m_loader.Load(path), nullptr);
    EXPECT_EQ(m_loader.GetInfo(path).m_type, 0);
  }
  const std::string missing = png + ".missing";
  EXPECT_FALSE(m_loader.CanLoad(missing));
  EXPECT_EQ(m_loader.Load(missing), nullptr);
  const CvxImageHeader none = m_loader.GetInfo(missing);
  EXPECT_EQ(none.m_width + none.m_height + none.m_format + none.m_type, 0);
}

TEST_F(PngLoaderTest, InfoNamesTheFilesOwnColourTypeAndDepth) {
  struct Case {
    int colorType, bitDepth;
    int32_t type;  // 0: the header must be all zero
  };
  for (const Case& c : {Case{PNG_COLOR_TYPE_GRAY, 1, 0}, {PNG_COLOR_TYPE_GRAY, 2, 0}, {PNG_COLOR_TYPE_GRAY, 4, 0},
                        {PNG_COLOR_TYPE_GRAY, 8, Gray8}, {PNG_COLOR_TYPE_GRAY, 16, Gray16},
                        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, Gray8}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, Gray16},
                        {PNG_COLOR_TYPE_PALETTE, 1, Color8}, {PNG_COLOR_TYPE_PALETTE, 8, Color8},
                        {PNG_COLOR_TYPE_RGB, 8, Color8}, {PNG_COLOR_TYPE_RGB, 16, Color16},
                        {PNG_COLOR_TYPE_RGB_ALPHA, 8, Alpha8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16, Alpha16}}) {
    PngPicture picture{3, 2, c.colorType, c.bitDepth, Values(static_cast<size_t>(6 * ChannelsOf(c.colorType)))};
    if (c.colorType == PNG_COLOR_TYPE_PALETTE) picture.palette = {{1, 2, 3}};
    const CvxImageHeader info = m_loader.GetInfo(Save(picture));
    EXPECT_EQ((Values{info.m_width, info.m_height, info.m_format, info.m_type}),
              c.type ? (Values{3, 2, Png, c.type}) : (Values{0, 0, 0, 0}))
        << "colour type " << c.colorType << ", depth " << c.bitDepth;
  }
}

TEST_F(PngLoaderTest, TransparencyIsComposedOverTheBackground) {
  // Opaque (10, 20, 30), transparent, and (200, 100, 50) at alpha 128.
  const PngPicture rgba{3, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {10, 20, 30, 255, 200, 100, 50, 0, 200, 100, 50, 128}};
  // Over black: x·128/255 rounded, so 200 → 100, 100 → 50, 50 → 25.
  EXPECT_EQ(DecodedRow(rgba, Color8), (Values{30, 20, 10, 0, 0, 0, 25, 50, 100}));

  // Over the loader's red 60, green 70, blue 80: (x·128 + b·127) / 255 rounded.
  SetBackground(60, 70, 80);
  EXPECT_EQ(DecodedRow(rgba, Color8), (Values{30, 20, 10, 80, 70, 60, 65, 85, 130}));

  // The file's own background red 40, green 80, blue 120 wins over the loader's.
  PngPicture withChunk = rgba;
  withChunk.background = png_color_16{0, 40, 80, 120, 0};
  EXPECT_EQ(DecodedRow(withChunk, Color8), (Values{30, 20, 10, 120, 80, 40, 85, 90, 120}));

  // Kept alpha: the samples as they are, blue-green-red-alpha.
  m_loader.m_keepAlpha = 1;
  EXPECT_EQ(DecodedRow(rgba, Alpha8), (Values{30, 20, 10, 255, 50, 100, 200, 0, 50, 100, 200, 128}));
}

TEST_F(PngLoaderTest, ColourChunksDoNotChangeTheComposition) {
  // Half-transparent pixels are α·colour + (1 − α)·background on the stored values, rounded,
  // whether or not the file states a gamma or the standard colour space. A white pixel at
  // alpha 128 over black is 128, not the 186 of a composition in linear light.
  PngPicture rgba8{3, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {255, 255, 255, 128, 200, 100, 50, 64, 90, 60, 30, 255}};
  PngPicture rgba16{1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {65535, 40000, 1000, 32768}};
  PngPicture grey8{2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {255, 128, 90, 200}};
  PngPicture grey16{1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {65535, 32768}};
  PngPicture palette{2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}};
  palette.palette = {{255, 255, 255}, {200, 100, 50}};
  palette.paletteAlpha = {128, 64};
  PngPicture withBackground = rgba8;
  withBackground.background = png_color_16{0, 100, 100, 100, 0};
  struct Case {
    const PngPicture& picture;
    int32_t type;
    Values expected;
  };
  const Case cases[] = {
      {rgba8, Color8, {128, 128, 128, 13, 25, 50, 30, 60, 90}},
      {rgba16, Color16, {500, 20000, 32768}},
      {grey8, Gray8, {128, 71}},
      {grey16, Gray16, {32768}},
      {palette, Color8, {128, 128, 128, 13, 25, 50}},
      {withBackground, Color8, {178, 178, 178, 87, 100, 125, 30, 60, 90}},
  };
  for (const Case& c : cases) {
    for (int chunks = 0; chunks < 3; ++chunks) {
      PngPicture picture = c.picture;
      if (chunks == 1) picture.gamma = 1 / 2.2;
      if (chunks == 2) picture.srgb = true;
      EXPECT_EQ(DecodedRow(picture, c.type), c.expected)
          << "colour type " << c.picture.colorType << ", depth " << c.picture.bitDepth << ", chunks " << chunks;
    }
  }
}

TEST_F(PngLoaderTest, GreyWithAlphaBecomesOneChannel) {
  const PngPicture picture{3, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {77, 255, 200, 0, 200, 128}};
  EXPECT_EQ(DecodedRow(picture, Gray8), (Values{77, 0, 100}));

  // The background's grey is 0.299 r + 0.587 g + 0.114 b, truncated: a grey colour keeps
  // its value (a floating-point sum falls just short of 16 and would give 15), and
  // (200, 100, 50) gives 124.2 → 124. Half alpha: (25600 + grey·127) / 255 rounded.
  SetBackground(16, 16, 16);
  EXPECT_EQ(DecodedRow(picture, Gray8), (Values{77, 16, 108}));
  SetBackground(200, 100, 50);
  EXPECT_EQ(DecodedRow(picture, Gray8), (Values{77, 124, 162}));
}

TEST_F(PngLoaderTest, PalettePicturesBecomeColour) {
  const std::vector<png_color> palette = {{255, 0, 0}, {0, 128, 255}, {1, 2, 3}};
  // 4 bits: expanded by libpng, and still blue-green-red.
  PngPicture four{3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0, 1, 2}};
  four.palette = palette;
  EXPECT_EQ(DecodedRow(four, Color8), (Values{0, 0, 255, 255, 128, 0, 3, 2, 1}));

  // 8 bits: looked up by the loader. Entry 1 is half transparent (composed as above over
  // red 60, green 70, blue 80), entry 2 transparent, and index 5 lies beyond the palette
  // and stays black.
  SetBackground(60, 70, 80);
  PngPicture eight{4, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 5}};
  eight.palette = palette;
  eight.paletteAlpha = {255, 128, 0};
  EXPECT_EQ(DecodedRow(eight, Color8), (Values{0, 0, 255, 168, 99, 30, 80, 70, 60, 0, 0, 0}));
}

TEST_F(PngLoaderTest, SixteenBitSamplesAreLittleEndian) {
  if (auto image = Decode({2, 1, PNG_COLOR_TYPE_RGB, 16, {0x1234, 0xABCD, 0x00FF, 0xFFFF, 0, 0x8001}}, Color16)) {
    const uint8_t* bytes = image->GetRows()[0];
    EXPECT_EQ(Bytes(bytes, bytes + 12), (Bytes{0xFF, 0x00, 0xCD, 0xAB, 0x34, 0x12, 0x01, 0x80, 0, 0, 0xFF, 0xFF}));
  }
  if (auto image = Decode({1, 1, PNG_COLOR_TYPE_GRAY, 16, {0x0102}}, Gray16)) {
    EXPECT_EQ(Bytes(image->GetRows()[0], image->GetRows()[0] + 2), (Bytes{0x02, 0x01}));
  }

  // A transparent pixel takes the background at 16-bit scale: 10 → 10·257.
  SetBackground(10, 20, 30);
  const PngPicture rgba{2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {1, 2, 3, 0xFFFF, 9, 9, 9, 0}};
  EXPECT_EQ(DecodedRow(rgba, Color16), (Values{3, 2, 1, 7710, 5140, 2570}));
  m_loader.m_keepAlpha = 1;
  EXPECT_EQ(DecodedRow(rgba, Alpha16), (Values{3, 2, 1, 0xFFFF, 9, 9, 9, 0}));
}

TEST_F(PngLoaderTest, GreyBelowEightBitsSpansTheFullRange) {
  for (const auto& [depth, samples, expected] :
       {std::tuple{1, Values{0, 1, 1, 0}, Values{0, 255, 255, 0}}, {2, Values{0, 1, 2, 3}, Values{0, 85, 170, 255}},
        {4, Values{0, 5, 15, 1}, Values{0, 85, 255, 17}}}) {
    EXPECT_EQ(DecodedRow({4, 1, PNG_COLOR_TYPE_GRAY, depth, samples}, Gray8), expected) << depth << " bits";
  }

  // A transparent grey value takes the background's grey; kept alpha must not widen the
  // picture to two channels.
  PngPicture keyed{4, 1, PNG_COLOR_TYPE_GRAY, 1, {0, 1, 1, 0}};
  keyed.transparent = png_color_16{0, 0, 0, 0, 1};
  SetBackground(100, 100, 100);
  EXPECT_EQ(DecodedRow(keyed, Gray8), (Values{0, 100, 100, 0}));
  m_loader.m_keepAlpha = 1;
  EXPECT_EQ(DecodedRow(keyed, Gray8), (Values{0, 255, 255, 0}));
}

TEST_F(PngLoaderTest, InterlacedEqualsItsNonInterlacedTwin) {
  // Odd sizes leave some of the seven passes short or empty.
  PngPicture rgb{13, 11, PNG_COLOR_TYPE_RGB, 8};
  for (int i = 0; i < 13 * 11 * 3; ++i) rgb.samples.push_back((i * 37 + i / 39) % 256);
  PngPicture bits{13, 11, PNG_COLOR_TYPE_GRAY, 1};
  for (int i = 0; i < 13 * 11; ++i) bits.samples.push_back(i * 7 / 3 % 2);

  for (PngPicture picture : {rgb, bits}) {
    const bool colour = picture.colorType == PNG_COLOR_TYPE_RGB;
    auto plain = Decode(picture, colour ? Color8 : Gray8);
    picture.interlaced = true;
    auto interlaced = Decode(picture, colour ? Color8 : Gray8);
    ASSERT_TRUE(plain && interlaced);
    EXPECT_TRUE(testing::SamePixels(*plain, *interlaced));
    // And the pixels are the picture's own.
    for (int y = 0; y < picture.height; ++y) {
      Values expected;
      for (int x = 0; x < picture.width; ++x) {
        const int* pixel = &picture.samples[static_cast<size_t>(y * picture.width + x) * (colour ? 3 : 1)];
        if (colour) {
          expected.insert(expected.end(), {pixel[2], pixel[1], pixel[0]});
        } else {
          expected.push_back(pixel[0] * 255);
        }
      }
      ASSERT_EQ(RowValues(*interlaced, y), expected) << "row " << y;
    }
  }
}

TEST_F(PngLoaderTest, DamagedFilesGiveNullQuietly) {
  PngPicture picture{5, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, Values(5 * 4 * 4, 99)};
  picture.interlaced = true;
  const Bytes good = Encode(picture);
  const std::string path = SaveBytes(good);
  ::testing::internal::CaptureStderr();

  // Every truncation is refused, including one inside the final chunk.
  for (size_t length = 0; length < good.size(); ++length) {
    Overwrite(path, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    EXPECT_EQ(m_loader.Load(path), nullptr) << length << " bytes";
  }
  // Every byte after the signature damaged, with the chunk's checksum left stale and then
  // recomputed so that the damage reaches the decoders; whatever decodes is whole.
  for (size_t at = 8; at < good.size(); ++at) {
    for (bool fixChecksum : {false, true}) {
      Bytes bad = good;
      bad[at] ^= 0x5A;
      if (fixChecksum) FixChecksums(bad);
      Overwrite(path, bad);
      if (const auto image = m_loader.Load(path)) {
        EXPECT_EQ(image->m_format, Png);
        EXPECT_TRUE(image->HasPixels() && image->m_height > 0);
      }
    }
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "libpng must not print";
}

TEST_F(PngLoaderTest, PicturesTooLargeToHoldGiveNull) {
  // A million pixels square (0x000F4240) of colour: 3 TB, more than any image may hold.
  // The data stream is a few bytes: the loader must refuse before decoding. Checksums are
  // zero here and filled in after.
  Bytes file = {137, 80, 78, 71, 13, 10, 26, 10,
                // IHDR: width, height, depth 8, RGB, no interlace; checksum
                0, 0, 0, 13, 'I', 'H', 'D', 'R', 0x00, 0x0F, 0x42, 0x40, 0x00, 0x0F, 0x42, 0x40, 8, PNG_COLOR_TYPE_RGB,
                0, 0, 0, 0, 0, 0, 0,
                // IDAT: one zero byte, deflated; checksum
                0, 0, 0, 9, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0x63, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0,
                // IEND
                0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0};
  FixChecksums(file);
  const std::string path = SaveBytes(file);
  EXPECT_EQ(m_loader.GetInfo(path).m_width, 1000000);
  EXPECT_EQ(m_loader.Load(path), nullptr);

  // A width of zero is no picture at all.
  std::fill_n(file.begin() + 16, 4, 0);
  FixChecksums(file);
  const std::string empty = SaveBytes(file);
  EXPECT_EQ(m_loader.GetInfo(empty).m_type, 0);
  EXPECT_EQ(m_loader.Load(empty), nullptr);
}

}  // namespace
}  // namespace glintora
