// The TIFF loader against files that libtiff's own writer makes at test time (and a few laid
// out by hand where the writer cannot place the directory before the pixels).

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/loaders/tiff_loader.h"
#include "loader_file_test.h"

namespace glintora {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// Every test writes its files into its own folder, removed afterwards.
class TiffLoader : public testing::LoaderFileTest<CvxLoaderTIFF> {
 protected:
  TiffLoader() : LoaderFileTest(".tif", Tiff) {}
};
using TiffLoaderDamage = TiffLoader;

// One page to write: its fields and its samples in the file's order (red, green, blue,
// alpha interleaved, top row first), or palette indices with the colour map.
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bits = 8;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  bool bigEndian = false;
  bool tiled = false;
  bool omitDefaultedFields = false;  // leave out samples per pixel and planar configuration
  std::vector<uint16_t> values;
  std::vector<uint16_t> red, green, blue;

  uint16_t Sample(uint32_t x, uint32_t y, int s) const { return values[(size_t{y} * width + x) * samples + s]; }
};

// Distinct values per pixel and sample; 16-bit samples have unlike high and low bytes.
Picture MakePicture(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, uint16_t photometric) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.bits = bits;
  picture.samples = samples;
  picture.photometric = photometric;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      for (uint32_t s = 0; s < samples; ++s) {
        const uint32_t v = x * 37 + y * 101 + s * 59 + 7;
        picture.values.push_back(static_cast<uint16_t>(bits == 16 ? (v * 2654435761u) >> 16 : v % (1u << bits)));
      }
    }
  }
  return picture;
}

// A palette picture with the given colour map, each array 2^bits entries long.
Picture MakePalettePicture(uint16_t bits, uint16_t (*entry)(uint32_t index, int array)) {
  Picture picture = MakePicture(7, 3, bits, 1, PHOTOMETRIC_PALETTE);
  for (uint32_t i = 0; i < (1u << bits); ++i) {
    picture.red.push_back(entry(i, 0));
    picture.green.push_back(entry(i, 1));
    picture.blue.push_back(entry(i, 2));
  }
  return picture;
}

// Samples packed as the file stores them: most significant bit first below 8 bits, 16-bit
// samples in this machine's order (the library swaps them for the other byte order).
std::vector<uint8_t> Pack(const std::vector<uint16_t>& values, int bits) {
  std::vector<uint8_t> bytes((values.size() * bits + 7) / 8);
  if (bits == 16) {
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
  }
  size_t bit = 0;
  for (uint16_t v : values) {
    for (int b = bits - 1; b >= 0; --b, ++bit) {
      if ((v >> b) & 1) bytes[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
    }
  }
  return bytes;
}

// The samples of row y, all of them (plane -1) or one plane's.
std::vector<uint16_t> RowSamples(const Picture& p, uint32_t y, int plane) {
  std::vector<uint16_t> row;
  for (uint32_t x = 0; x < p.width; ++x) {
    for (int s = 0; s < p.samples; ++s) {
      if (plane < 0 || s == plane) row.push_back(p.Sample(x, y, s));
    }
  }
  return row;
}

// Writes the pages with libtiff, one row per strip (or one 16 × 16 tile).
::testing::AssertionResult WritePages(const std::string& path, std::vector<Picture> pages) {
  TIFF* out = TIFFOpen(path.c_str(), pages[0].bigEndian ? "wb" : "wl");
  if (!out) return ::testing::AssertionFailure() << "cannot create " << path;
  bool written = true;
  for (Picture& p : pages) {
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, p.width);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, p.height);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, p.bits);
    if (!p.omitDefaultedFields) {
      TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, p.samples);
      TIFFSetField(out, TIFFTAG_PLANARCONFIG, p.planar);
    }
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, p.photometric);
    TIFFSetField(out, TIFFTAG_COMPRESSION, p.compression);
    const int colourSamples = p.photometric == PHOTOMETRIC_RGB ? 3 : p.photometric == PHOTOMETRIC_SEPARATED ? 4 : 1;
    if (p.samples > colourSamples) {
      const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
      TIFFSetField(out, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (!p.red.empty()) TIFFSetField(out, TIFFTAG_COLORMAP, p.red.data(), p.green.data(), p.blue.data());
    if (p.tiled) {
      TIFFSetField(out, TIFFTAG_TILEWIDTH, 16);
      TIFFSetField(out, TIFFTAG_TILELENGTH, 16);
      std::vector<uint16_t> tile(16 * 16 * p.samples);
      for (uint32_t y = 0; y < p.height; ++y) {
        const std::vector<uint16_t> row = RowSamples(p, y, -1);
        std::copy(row.begin(), row.end(), tile.begin() + y * 16 * p.samples);
      }
      std::vector<uint8_t> bytes = Pack(tile, p.bits);
      written &= TIFFWriteTile(out, bytes.data(), 0, 0, 0, 0) > 0;
    } else {
      TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, 1);
      const bool separate = p.planar == PLANARCONFIG_SEPARATE;
      for (int plane = 0; plane < (separate ? p.samples : 1); ++plane) {
        for (uint32_t y = 0; y < p.height; ++y) {
          std::vector<uint8_t> bytes = Pack(RowSamples(p, y, separate ? plane : -1), p.bits);
          written &= TIFFWriteScanline(out, bytes.data(), y, static_cast<uint16_t>(plane)) == 1;
        }
      }
    }
    written &= TIFFWriteDirectory(out) == 1;
  }
  TIFFClose(out);
  if (!written) return ::testing::AssertionFailure() << "libtiff did not write " << path;
  return ::testing::AssertionSuccess();
}

// Channel `channel` of pixel (x, y), read from the row bytes; 16-bit channels are
// little-endian.
uint16_t ChannelAt(const CvxImage& image, int x, int y, int channel) {
  const size_t at = (static_cast<size_t>(x) * image.GetChannels() + channel) * image.GetBytesPerChannel();
  const uint8_t* p = image.GetRows()[y] + at;
  return image.GetBytesPerChannel() == 1 ? p[0] : static_cast<uint16_t>(p[0] | p[1] << 8);
}

// True when the image holds the picture's samples, blue-green-red(-alpha) ordered, and is
// marked as a TIFF.
::testing::AssertionResult HoldsSamples(const CvxImage* image, const Picture& picture, bool inverted = false) {
  if (!image) return ::testing::AssertionFailure() << "no image";
  if (image->m_width != static_cast<int>(picture.width) || image->m_height != static_cast<int>(picture.height) ||
      image->GetChannels() != picture.samples || image->GetBytesPerChannel() != picture.bits / 8 ||
      image->m_format != Tiff) {
    return ::testing::AssertionFailure() << "shape " << image->m_width << "x" << image->m_height << " type "
                                         << image->GetType() << " format " << image->m_format;
  }
  const uint16_t mask = picture.bits == 16 ? 0xFFFF : 0xFF;
  for (int y = 0; y < image->m_height; ++y) {
    for (int x = 0; x < image->m_width; ++x) {
      for (int channel = 0; channel < picture.samples; ++channel) {
        const int sample = picture.samples >= 3 && channel < 3 ? 2 - channel : channel;
        uint16_t expected = picture.Sample(x, y, sample);
        if (inverted) expected = static_cast<uint16_t>(~expected & mask);
        if (ChannelAt(*image, x, y, channel) != expected) {
          return ::testing::AssertionFailure() << "pixel " << x << "," << y << " channel " << channel << " is "
                                               << ChannelAt(*image, x, y, channel) << ", not " << expected;
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// True when every pixel has its index's map entry, whole (16-bit) or its low byte (8-bit).
::testing::AssertionResult HoldsPaletteColours(const CvxImage* image, const Picture& picture, int type) {
  if (!image || image->GetType() != type || image->m_width != static_cast<int>(picture.width) ||
      image->m_height != static_cast<int>(picture.height) || image->m_format != Tiff) {
    return ::testing::AssertionFailure() << "no image of type " << type;
  }
  const uint16_t mask = type == Color16 ? 0xFFFF : 0xFF;
  for (int y = 0; y < image->m_height; ++y) {
    for (int x = 0; x < image->m_width; ++x) {
      const uint16_t index = picture.Sample(x, y, 0);
      const uint16_t expected[] = {picture.blue[index], picture.green[index], picture.red[index]};
      for (int channel = 0; channel < 3; ++channel) {
        if (ChannelAt(*image, x, y, channel) != (expected[channel] & mask)) {
          return ::testing::AssertionFailure() << "pixel " << x << "," << y << " channel " << channel;
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

std::unique_ptr<CvxImage> LoadFile(const std::string& path) { return CvxLoaderTIFF().Load(path); }

TEST_F(TiffLoader, RecognisesBothByteOrdersAndNothingElse) {
  CvxLoaderTIFF loader;
  const std::string little = NewPath(), big = NewPath(), other = NewPath();
  Picture picture = MakePicture(3, 2, 8, 1, PHOTOMETRIC_MINISBLACK);
  ASSERT_TRUE(WritePages(little, {picture}));
  picture.bigEndian = true;
  ASSERT_TRUE(WritePages(big, {picture}));
  EXPECT_TRUE(loader.CanLoad(little));
  EXPECT_TRUE(loader.CanLoad(big));

  for (const std::vector<uint8_t>& start : std::vector<std::vector<uint8_t>>{
           {'B', 'M', 0, 0, 0, 0}, {'I', 'M', 42, 0}, {'M', 'I', 0, 42}, {'I'}, {}}) {
    WriteBytes(other, start);
    EXPECT_FALSE(loader.CanLoad(other)) << start.size() << " bytes";
  }
  WriteBytes(other, {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(loader.Load(other), nullptr);
  EXPECT_EQ(loader.GetInfo(other).m_width, 0);
  EXPECT_FALSE(loader.CanLoad(other + ".missing"));
}

// GetInfo names the type Load produces; pictures outside the decoded set keep their size with
// type 0, except other photometric interpretations, which give an all-zero header.
TEST_F(TiffLoader, InfoAndLoadAgreeOnEveryKindOfPicture) {
  auto narrowMap = [](uint32_t i, int array) { return static_cast<uint16_t>((i * 3 + array * 50) & 0xFF); };
  auto wideMap = [](uint32_t i, int array) { return static_cast<uint16_t>(i * 251 + array * 7919); };
  Picture tiled = MakePicture(9, 5, 8, 3, PHOTOMETRIC_RGB);
  tiled.tiled = true;
  struct Case {
    const char* name;
    Picture picture;
    CvxImageHeader info;
    int loadedType;  // 0: Load gives null
  };
  const Case cases[] = {
      {"grey 8 min-is-white", MakePicture(9, 5, 8, 1, PHOTOMETRIC_MINISWHITE), {9, 5, Tiff, Gray8}, Gray8},
      {"grey 16", MakePicture(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK), {9, 5, Tiff, Gray16}, Gray16},
      {"RGB 8", MakePicture(9, 5, 8, 3, PHOTOMETRIC_RGB), {9, 5, Tiff, Color8}, Color8},
      {"RGB 16", MakePicture(9, 5, 16, 3, PHOTOMETRIC_RGB), {9, 5, Tiff, Color16}, Color16},
      {"RGBA 8", MakePicture(9, 5, 8, 4, PHOTOMETRIC_RGB), {9, 5, Tiff, Alpha8}, Alpha8},
      {"RGBA 16", MakePicture(9, 5, 16, 4, PHOTOMETRIC_RGB), {9, 5, Tiff, Alpha16}, Alpha16},
      {"min-is-black with 3 samples", MakePicture(9, 5, 8, 3, PHOTOMETRIC_MINISBLACK), {9, 5, Tiff, Color8}, Color8},
      {"palette, 8-bit map", MakePalettePicture(8, narrowMap), {7, 3, Tiff, Color8}, Color8},
      {"palette, 16-bit map", MakePalettePicture(8, wideMap), {7, 3, Tiff, Color16}, Color16},
      {"palette, 4-bit indices", MakePalettePicture(4, wideMap), {7, 3, Tiff, 0}, 0},
      {"bilevel", MakePicture(9, 5, 1, 1, PHOTOMETRIC_MINISWHITE), {9, 5, 0, 0}, 0},
      {"grey 4", MakePicture(9, 5, 4, 1, PHOTOMETRIC_MINISBLACK), {9, 5, 0, 0}, 0},
      {"grey with alpha", MakePicture(9, 5, 8, 2, PHOTOMETRIC_MINISBLACK), {9, 5, 0, 0}, 0},
      {"CMYK", MakePicture(9, 5, 8, 4, PHOTOMETRIC_SEPARATED), {0, 0, 0, 0}, 0},
      {"tiled RGB", tiled, {9, 5, Tiff, Color8}, Color8},
  };
  CvxLoaderTIFF loader;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = NewPath();
    ASSERT_TRUE(WritePages(file, {c.picture}));
    const CvxImageHeader info = loader.GetInfo(file);
    EXPECT_EQ(info.m_width, c.info.m_width);
    EXPECT_EQ(info.m_height, c.info.m_height);
    EXPECT_EQ(info.m_format, c.info.m_format);
    EXPECT_EQ(info.m_type, c.info.m_type);
    const std::unique_ptr<CvxImage> image = loader.Load(file);
    EXPECT_EQ(image ? image->GetType() : 0, c.loadedType);
  }
  const CvxImageHeader missing = loader.GetInfo(NewPath());
  EXPECT_EQ(missing.m_width | missing.m_height | missing.m_format | missing.m_type, 0);
}

TEST_F(TiffLoader, GreySamplesAreKeptAndMinIsWhiteInverted) {
  for (uint16_t bits : {8, 16}) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, big-endian " << bigEndian);
      Picture black = MakePicture(11, 4, bits, 1, PHOTOMETRIC_MINISBLACK);
      black.bigEndian = bigEndian;
      Picture white = black;
      white.photometric = PHOTOMETRIC_MINISWHITE;
      const std::string blackFile = NewPath(), whiteFile = NewPath();
      ASSERT_TRUE(WritePages(blackFile, {black}));
      ASSERT_TRUE(WritePages(whiteFile, {white}));
      EXPECT_TRUE(HoldsSamples(LoadFile(blackFile).get(), black));
      EXPECT_TRUE(HoldsSamples(LoadFile(whiteFile).get(), white, true));
    }
  }
}

TEST_F(TiffLoader, ColourComesOutBlueGreenRedFromBothLayouts) {
  for (uint16_t bits : {8, 16}) {
    for (uint16_t samples : {3, 4}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, " << samples << " samples");
      Picture contiguous = MakePicture(13, 6, bits, samples, PHOTOMETRIC_RGB);
      contiguous.bigEndian = bits == 16;  // the library hands 16-bit samples over in our order
      contiguous.compression = COMPRESSION_ADOBE_DEFLATE;
      Picture separate = contiguous;
      separate.planar = PLANARCONFIG_SEPARATE;
      const std::string contiguousFile = NewPath(), separateFile = NewPath();
      ASSERT_TRUE(WritePages(contiguousFile, {contiguous}));
      ASSERT_TRUE(WritePages(separateFile, {separate}));
      EXPECT_TRUE(HoldsSamples(LoadFile(contiguousFile).get(), contiguous));
      EXPECT_TRUE(HoldsSamples(LoadFile(separateFile).get(), separate));
    }
  }
  // Grey has one plane whatever the layout says.
  Picture grey = MakePicture(5, 3, 8, 1, PHOTOMETRIC_MINISBLACK);
  grey.planar = PLANARCONFIG_SEPARATE;
  const std::string greyFile = NewPath();
  ASSERT_TRUE(WritePages(greyFile, {grey}));
  EXPECT_TRUE(HoldsSamples(LoadFile(greyFile).get(), grey));
}

// The map is 16-bit when any entry reaches 256, used by the picture or not.
TEST_F(TiffLoader, PaletteIndicesTakeTheirMapEntries) {
  auto narrowMap = [](uint32_t i, int array) { return static_cast<uint16_t>((i * 7 + array * 85) & 0xFF); };
  auto wideMap = [](uint32_t i, int array) { return static_cast<uint16_t>(i * 4099 + array * 21011 + 1); };
  auto lastEntry255 = [](uint32_t i, int array) { return static_cast<uint16_t>(array == 1 && i == 255 ? 255 : i / 2); };
  auto lastEntry256 = [](uint32_t i, int array) { return static_cast<uint16_t>(array == 1 && i == 255 ? 256 : i / 2); };
  struct Case {
    const char* name;
    Picture picture;
    int type;
  };
  const Case cases[] = {
      {"8-bit indices, 8-bit map", MakePalettePicture(8, narrowMap), Color8},
      {"8-bit indices, 16-bit map", MakePalettePicture(8, wideMap), Color16},
      {"16-bit indices, 8-bit map", MakePalettePicture(16, narrowMap), Color8},
      {"16-bit indices, 16-bit map", MakePalettePicture(16, wideMap), Color16},
      {"unused entry 255", MakePalettePicture(8, lastEntry255), Color8},
      {"unused entry 256", MakePalettePicture(8, lastEntry256), Color16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = NewPath();
    ASSERT_TRUE(WritePages(file, {c.picture}));
    EXPECT_TRUE(HoldsPaletteColours(LoadFile(file).get(), c.picture, c.type));
  }
}

// One-sample pictures often leave out the fields whose standard default is theirs.
TEST_F(TiffLoader, AbsentFieldsTakeTheirStandardDefaults) {
  auto map = [](uint32_t i, int array) { return static_cast<uint16_t>(i * 4099 + array * 21011 + 1); };
  struct Case {
    const char* name;
    Picture picture;
  };
  Case cases[] = {
      {"grey 8", MakePicture(9, 5, 8, 1, PHOTOMETRIC_MINISBLACK)},
      {"grey 16", MakePicture(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK)},
      {"grey 8 LZW", MakePicture(9, 5, 8, 1, PHOTOMETRIC_MINISBLACK)},
      {"grey 16 deflate", MakePicture(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK)},
      {"grey 8 PackBits", MakePicture(9, 5, 8, 1, PHOTOMETRIC_MINISBLACK)},
      {"min-is-white", MakePicture(9, 5, 8, 1, PHOTOMETRIC_MINISWHITE)},
      {"palette", MakePalettePicture(8, map)},
  };
  cases[2].picture.compression = COMPRESSION_LZW;
  cases[3].picture.compression = COMPRESSION_ADOBE_DEFLATE;
  cases[4].picture.compression = COMPRESSION_PACKBITS;
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.picture.omitDefaultedFields = true;
    const std::string file = NewPath();
    ASSERT_TRUE(WritePages(file, {c.picture}));
    TIFF* written = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(written, nullptr);
    uint16_t value = 0;
    EXPECT_EQ(TIFFGetField(written, TIFFTAG_SAMPLESPERPIXEL, &value), 0) << "the field is really absent";
    TIFFClose(written);
    EXPECT_NE(CvxLoaderTIFF().GetInfo(file).m_type, 0);
    const std::unique_ptr<CvxImage> image = LoadFile(file);
    if (c.picture.photometric == PHOTOMETRIC_PALETTE) {
      EXPECT_TRUE(HoldsPaletteColours(image.get(), c.picture, Color16));
    } else {
      EXPECT_TRUE(HoldsSamples(image.get(), c.picture, c.picture.photometric == PHOTOMETRIC_MINISWHITE));
    }
  }
}

TEST_F(TiffLoader, OnlyTheFirstPageIsRead) {
  const Picture first = MakePicture(5, 3, 8, 3, PHOTOMETRIC_RGB);
  const Picture second = MakePicture(8, 6, 16, 1, PHOTOMETRIC_MINISBLACK);
  const std::string file = NewPath();
  ASSERT_TRUE(WritePages(file, {first, second}));
  EXPECT_TRUE(HoldsSamples(LoadFile(file).get(), first));
  const CvxImageHeader info = CvxLoaderTIFF().GetInfo(file);
  EXPECT_EQ(info.m_width, 5);
  EXPECT_EQ(info.m_type, Color8);
}

TEST_F(TiffLoader, StopFlagAbandonsEveryPath) {
  Picture separate = MakePicture(4, 3, 8, 3, PHOTOMETRIC_RGB);
  separate.planar = PLANARCONFIG_SEPARATE;
  auto map = [](uint32_t i, int) { return static_cast<uint16_t>(i); };
  for (const Picture& picture : {MakePicture(4, 3, 8, 3, PHOTOMETRIC_RGB), separate, MakePalettePicture(8, map)}) {
    const std::string file = NewPath();
    ASSERT_TRUE(WritePages(file, {picture}));
    CvxLoaderTIFF loader;
    loader.m_stop = true;
    EXPECT_EQ(loader.Load(file), nullptr);
    loader.m_stop = false;
    EXPECT_NE(loader.Load(file), nullptr);
  }
}

TEST_F(TiffLoader, TakesWindowsStylePaths) {
  const Picture picture = MakePicture(3, 2, 8, 1, PHOTOMETRIC_MINISBLACK);
  const std::string file = NewPath();
  ASSERT_TRUE(WritePages(file, {picture}));
  std::string windowsPath = file;
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  CvxLoaderTIFF loader;
  EXPECT_TRUE(loader.CanLoad(windowsPath));
  EXPECT_EQ(loader.GetInfo(windowsPath).m_type, Gray8);
  EXPECT_TRUE(HoldsSamples(loader.Load(windowsPath).get(), picture));
}

struct HandLaidTiff {
  std::vector<uint8_t> bytes;
  size_t dataOffset = 0;  // where the first strip begins
};

// A little-endian 8-bit grey file laid out directory first, then its strips of
// `rowsPerStrip` rows, so that cutting it short loses pixels rather than the directory.
// `pixels` may be shorter than the strips claim.
HandLaidTiff LayOutGreyTiff(uint32_t width, uint32_t height, uint32_t rowsPerStrip,
                            const std::vector<uint8_t>& pixels) {
  const uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
  const uint32_t arrays = 8 + 2 + 10 * 12 + 4;  // header, entry count, entries, next offset
  const uint32_t data = arrays + (strips > 1 ? 8 * strips : 0);
  HandLaidTiff tiff{{'I', 'I', 42, 0, 8, 0, 0, 0, 10, 0}, data};
  auto put = [&tiff](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) tiff.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    put(tag, 2), put(type, 2), put(count, 4), put(value, type == TIFF_SHORT ? 2 : 4);
    if (type == TIFF_SHORT) put(0, 2);
  };
  const uint32_t stripBytes = width * rowsPerStrip;
  entry(TIFFTAG_IMAGEWIDTH, TIFF_LONG, 1, width);
  entry(TIFFTAG_IMAGELENGTH, TIFF_LONG, 1, height);
  entry(TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, 1, 8);
  entry(TIFFTAG_COMPRESSION, TIFF_SHORT, 1, COMPRESSION_NONE);
  entry(TIFFTAG_PHOTOMETRIC, TIFF_SHORT, 1, PHOTOMETRIC_MINISBLACK);
  entry(TIFFTAG_STRIPOFFSETS, TIFF_LONG, strips, strips > 1 ? arrays : data);
  entry(TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, 1, 1);
  entry(TIFFTAG_ROWSPERSTRIP, TIFF_LONG, 1, rowsPerStrip);
  entry(TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG, strips, strips > 1 ? arrays + 4 * strips : stripBytes);
  entry(TIFFTAG_PLANARCONFIG, TIFF_SHORT, 1, PLANARCONFIG_CONTIG);
  put(0, 4);
  for (uint32_t i = 0; strips > 1 && i < strips; ++i) put(data + i * stripBytes, 4);
  for (uint32_t i = 0; strips > 1 && i < strips; ++i) put(stripBytes, 4);
  tiff.bytes.insert(tiff.bytes.end(), pixels.begin(), pixels.end());
  return tiff;
}

// Cut at every length, the file gives the rows it still holds whole, the rest black, or null
// when not one row is whole.
TEST_F(TiffLoaderDamage, TruncatedFileKeepsWholeRowsOnly) {
  const uint32_t width = 6, height = 5;
  std::vector<uint8_t> pixels(width * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 8 + 1);
  const HandLaidTiff full = LayOutGreyTiff(width, height, 1, pixels);
  const std::string file = NewPath();
  for (size_t cut = 0; cut <= full.bytes.size(); ++cut) {
    SCOPED_TRACE(::testing::Message() << "cut at " << cut);
    WriteBytes(file, std::vector<uint8_t>(full.bytes.begin(), full.bytes.begin() + static_cast<ptrdiff_t>(cut)));
    const std::unique_ptr<CvxImage> image = LoadFile(file);
    if (cut < full.dataOffset) continue;  // the directory is cut: null or black rows, both fine
    if (cut < full.dataOffset + width) {
      EXPECT_EQ(image, nullptr) << "not one row of pixel data";
      continue;
    }
    ASSERT_NE(image, nullptr);
    for (uint32_t y = 0; y < height; ++y) {
      const bool whole = full.dataOffset + (y + 1) * width <= cut;
      const std::vector<uint8_t> expected = whole ? std::vector<uint8_t>(&pixels[y * width], &pixels[(y + 1) * width])
                                                  : std::vector<uint8_t>(width, 0);
      EXPECT_EQ(std::vector<uint8_t>(image->GetRows()[y], image->GetRows()[y] + width), expected) << "row " << y;
    }
  }
}

// Overwrites the second half of one strip's compressed bytes with 0xFF: the decoder gives up
// part way, after it has written the first pixels of the row.
void CorruptStrip(const std::string& file, uint32_t strip) {
  TIFF* in = TIFFOpen(file.c_str(), "r");
  ASSERT_NE(in, nullptr);
  const uint64_t offset = TIFFGetStrileOffset(in, strip);
  const uint64_t size = TIFFGetStrileByteCount(in, strip);
  TIFFClose(in);
  std::vector<uint8_t> bytes = ReadBytes(file);
  ASSERT_LE(offset + size, bytes.size());
  std::fill_n(bytes.begin() + static_cast<ptrdiff_t>(offset + size / 2), size - size / 2, 0xFF);
  WriteBytes(file, bytes);
}

TEST_F(TiffLoaderDamage, UnreadableStripLeavesItsRowBlack) {
  const int width = 64;
  Picture contiguous = MakePicture(width, 4, 8, 3, PHOTOMETRIC_RGB);
  contiguous.compression = COMPRESSION_ADOBE_DEFLATE;
  const std::string file = NewPath();
  ASSERT_TRUE(WritePages(file, {contiguous}));
  CorruptStrip(file, 2);
  const std::unique_ptr<CvxImage> image = LoadFile(file);
  ASSERT_NE(image, nullptr);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        const uint16_t expected = y == 2 ? 0 : contiguous.Sample(x, y, 2 - channel);
        EXPECT_EQ(ChannelAt(*image, x, y, channel), expected) << x << "," << y << " channel " << channel;
      }
    }
  }

  // Separate planes: strip 5 is green (plane 1) of row 1; only that channel stays black.
  Picture separate = contiguous;
  separate.planar = PLANARCONFIG_SEPARATE;
  ASSERT_TRUE(WritePages(file, {separate}));
  CorruptStrip(file, 5);
  const std::unique_ptr<CvxImage> planes = LoadFile(file);
  ASSERT_NE(planes, nullptr);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        const uint16_t expected = y == 1 && channel == 1 ? 0 : separate.Sample(x, y, 2 - channel);
        EXPECT_EQ(ChannelAt(*planes, x, y, channel), expected) << x << "," << y << " channel " << channel;
      }
    }
  }
}

int g_libraryMessages = 0;
void CountLibraryMessage(const char*, const char*, va_list) { ++g_libraryMessages; }

struct LibraryHandlers {
  TIFFErrorHandler error;
  TIFFErrorHandler warning;
};

// Installs the counting handlers; returns the ones they replace.
LibraryHandlers CountLibraryMessages() {
  g_libraryMessages = 0;
  return {TIFFSetErrorHandler(CountLibraryMessage), TIFFSetWarningHandler(CountLibraryMessage)};
}

// The library's handlers are process-wide and anyone may have set them; the loader silences
// them before it opens a file.
TEST_F(TiffLoaderDamage, LibraryMessagesStaySilent) {
  // Three samples with one declared extra sample: the library warns on reading.
  const Picture warned = MakePicture(4, 2, 8, 3, PHOTOMETRIC_MINISBLACK);
  Picture failing = MakePicture(64, 3, 8, 3, PHOTOMETRIC_RGB);
  failing.compression = COMPRESSION_ADOBE_DEFLATE;
  const std::string warnedFile = NewPath(), failingFile = NewPath();
  ASSERT_TRUE(WritePages(warnedFile, {warned}));
  ASSERT_TRUE(WritePages(failingFile, {failing}));
  CorruptStrip(failingFile, 1);
  const LibraryHandlers saved = CountLibraryMessages();
  for (const std::string* file : {&warnedFile, &failingFile}) {
    CountLibraryMessages();
    CvxLoaderTIFF loader;
    loader.GetInfo(*file);
    EXPECT_NE(loader.Load(*file), nullptr);
    EXPECT_EQ(g_libraryMessages, 0) << *file;

    // With the handlers left in place the same reads do reach them.
    CountLibraryMessages();
    TIFF* in = TIFFOpen(file->c_str(), "r");
    ASSERT_NE(in, nullptr);
    std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize64(in)));
    for (uint32_t y = 0; y < 3; ++y) TIFFReadScanline(in, line.data(), y, 0);
    TIFFClose(in);
    EXPECT_GT(g_libraryMessages, 0) << *file;
  }
  TIFFSetErrorHandler(saved.error);
  TIFFSetWarningHandler(saved.warning);
}

// Where the colour map's entries lie in a little-endian file: offset and size in bytes.
std::pair<size_t, size_t> ColorMapBytes(const std::vector<uint8_t>& file) {
  auto read = [&file](size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | file.at(at + i);
    return value;
  };
  const size_t directory = read(4, 4);
  for (uint32_t i = 0; i < read(directory, 2); ++i) {
    const size_t entry = directory + 2 + 12 * i;
    if (read(entry, 2) == TIFFTAG_COLORMAP) return {read(entry + 8, 4), size_t{read(entry + 4, 4)} * 2};
  }
  return {0, 0};
}

// Every single damaged byte, in the directory or the data: no crash (the sanitizer build
// watches every access), and any image that comes out is what GetInfo announced. The colour
// map's entries are left alone: damage there only changes colours.
TEST_F(TiffLoaderDamage, AnyDamagedByteIsSurvived) {
  Picture rgb = MakePicture(3, 2, 16, 3, PHOTOMETRIC_RGB);
  rgb.planar = PLANARCONFIG_SEPARATE;
  rgb.compression = COMPRESSION_ADOBE_DEFLATE;
  auto map = [](uint32_t i, int array) { return static_cast<uint16_t>(i * 3 + array); };
  for (const Picture& picture : {rgb, MakePalettePicture(8, map)}) {
    const std::string file = NewPath();
    ASSERT_TRUE(WritePages(file, {picture}));
    const std::vector<uint8_t> original = ReadBytes(file);
    const auto [mapStart, mapSize] = ColorMapBytes(original);
    ASSERT_EQ(mapSize, picture.red.size() * 6);
    CvxLoaderTIFF loader;
    int decoded = 0;
    for (size_t at = 0; at < original.size(); ++at) {
      if (at >= mapStart && at < mapStart + mapSize) continue;
      for (uint8_t value : {uint8_t(original[at] ^ 0x01), uint8_t{0}, uint8_t{0xFF}}) {
        std::vector<uint8_t> damaged = original;
        damaged[at] = value;
        WriteBytes(file, damaged);
        const std::unique_ptr<CvxImage> image = loader.Load(file);
        if (!image) continue;
        ++decoded;
        const CvxImageHeader info = loader.GetInfo(file);
        ASSERT_TRUE(image->HasPixels());
        ASSERT_EQ(image->m_width, info.m_width) << "byte " << at << " = " << int{value};
        ASSERT_EQ(image->m_height, info.m_height) << "byte " << at << " = " << int{value};
        ASSERT_EQ(image->GetType(), info.m_type) << "byte " << at << " = " << int{value};
        ASSERT_EQ(info.m_format, Tiff);
      }
    }
    EXPECT_GT(decoded, 0) << "damage to pixel data still decodes";
  }
}

TEST_F(TiffLoaderDamage, PictureTooLargeToAllocateGivesNull) {
  // 70000 × 70000 grey is 4.9 GB, beyond what an image may hold; the strips are not there.
  const std::string file = NewPath();
  WriteBytes(file, LayOutGreyTiff(70000, 70000, 1000, {}).bytes);
  CvxLoaderTIFF loader;
  const CvxImageHeader info = loader.GetInfo(file);
  ASSERT_EQ(info.m_width, 70000) << "the library reads the directory";
  ASSERT_EQ(info.m_type, Gray8);
  EXPECT_EQ(loader.Load(file), nullptr);
}

}  // namespace
}  // namespace glintora
