// Writes the seed pictures of the loader fuzz targets: small valid files of each format
// and variant, made by the same encoders the tests use.
//   usage: make_seeds FOLDER   (makes FOLDER/bmp, FOLDER/jpeg … one folder per format, anew)

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <tiffio.h>

#include "avi_writer.h"
#include "core/media/movie_writer.h"
#include "fixtures.h"
#include "format_fixtures.h"

namespace {

using namespace glintora;
using namespace glintora::testing;

std::unique_ptr<CvxImageColor8> Picture(int width, int height) {
  auto image = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image->At(x, y) = CvxColor8(static_cast<uint8_t>(x * 13), static_cast<uint8_t>(y * 29),
                                  static_cast<uint8_t>((x ^ y) * 7));
    }
  }
  return image;
}

// A small TIFF with the given layout; every sample a pattern value.
void WriteTiff(const std::string& path, int samples, int bits, int photometric, int planar, int compression) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) return;
  const int width = 9;
  const int height = 5;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, planar);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 2);
  if (samples == 4) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  if (photometric == PHOTOMETRIC_PALETTE) {
    std::vector<uint16_t> red(size_t{1} << bits), green(red.size()), blue(red.size());
    for (size_t i = 0; i < red.size(); ++i) {
      red[i] = static_cast<uint16_t>(i * 257 * 3);
      green[i] = static_cast<uint16_t>(i * 1000);
      blue[i] = static_cast<uint16_t>(65535 - i * 100);
    }
    TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  const int planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize64(tiff)));
  for (int plane = 0; plane < planes; ++plane) {
    for (int y = 0; y < height; ++y) {
      for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<uint8_t>(i * 31 + y * 7 + plane);
      TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(plane));
    }
  }
  TIFFClose(tiff);
}

// Index pictures of the GIF seeds: a pattern of `colours` colours.
GifFrame GifPattern(int left, int top, int width, int height, int colours) {
  GifFrame frame{left, top, width, height};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) frame.indices.push_back(static_cast<uint8_t>((x * 3 + y * 5) % colours));
  }
  return frame;
}

void WriteGifSeeds(const std::filesystem::path& folder) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF};
  GifRecipe plain{11, 7, palette};
  plain.frames.push_back(GifPattern(0, 0, 11, 7, 8));
  GifRecipe interlaced = plain;
  interlaced.frames[0].interlaced = true;
  GifRecipe transparent = plain;
  transparent.frames[0].transparent = 2;
  GifRecipe animated{12, 9, palette};
  animated.frames.push_back(GifPattern(2, 1, 6, 5, 8));
  animated.frames.push_back(GifPattern(0, 0, 12, 9, 4));
  animated.frames.back().transparent = 0;
  animated.frames.push_back(GifPattern(3, 3, 2, 2, 8));
  GifRecipe oneByOne{1, 1, palette};
  oneByOne.frames.push_back(GifPattern(0, 0, 9, 6, 8));
  GifRecipe local{8, 8, {}};
  local.frames.push_back(GifPattern(0, 0, 8, 8, 4));
  local.frames[0].palette = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
  const std::pair<const char*, const GifRecipe*> seeds[] = {{"plain", &plain},       {"interlaced", &interlaced},
                                                          {"transparent", &transparent}, {"animated", &animated},
                                                          {"one-by-one", &oneByOne}, {"local", &local}};
  for (const auto& seed : seeds) {
    WriteBytes((folder / (std::string(seed.first) + ".gif")).string(), EncodeGif(*seed.second));
  }
}

void WritePsdSeeds(const std::filesystem::path& folder) {
  struct Seed {
    const char* name;
    int channels, depth, mode, compression;
  };
  const Seed seeds[] = {{"grey8-raw", 1, 8, 1, 0},  {"rgb8-rle", 3, 8, 3, 1},       {"rgba16-raw", 4, 16, 3, 0},
                        {"greyalpha16-rle", 2, 16, 1, 1}, {"rgba8-rle", 4, 8, 3, 1}, {"rgb8-zip", 3, 8, 3, 2}};
  for (const Seed& seed : seeds) {
    PsdRecipe recipe{7, 5, seed.channels, seed.depth, seed.mode, 1, seed.compression, {4, 10, 6}};
    for (int c = 0; c < seed.channels; ++c) {
      std::vector<uint16_t> plane;
      // Flat stretches and changing samples, so that the run-length data has both kinds of
      // record.
      for (int i = 0; i < 7 * 5; ++i) plane.push_back(static_cast<uint16_t>(i % 7 < 3 ? 40 * c : i * 1031));
      recipe.planes.push_back(plane);
    }
    WriteBytes((folder / (std::string(seed.name) + ".psd")).string(), EncodePsd(recipe));
  }
}

void WritePnmSeeds(const std::filesystem::path& folder) {
  std::vector<int> samples;
  for (int i = 0; i < 5 * 4 * 3; ++i) samples.push_back(i * 4);
  WriteBytes((folder / "grey8.pgm").string(), PnmFile("P5\n5 4\n255\n", {samples.begin(), samples.begin() + 20}, false));
  WriteBytes((folder / "colour8.ppm").string(), PnmFile("P6\n# a comment\n5 4\n255\n", samples, false));
  WriteBytes((folder / "grey16.pgm").string(), PnmFile("P5 5 4 65535\n", {samples.begin(), samples.begin() + 20}, true));
  WriteBytes((folder / "colour16.ppm").string(), PnmFile("P6 5#width\n4 1023\n", samples, true));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path root = argv[1];
  // Only the seeds: the fuzz tests' results must not depend on what an earlier run left.
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "bmp");
  std::filesystem::create_directories(root / "jpeg");
  std::filesystem::create_directories(root / "tiff");
  std::filesystem::create_directories(root / "png");
  for (const char* format : {"gif", "psd", "pnm"}) std::filesystem::create_directories(root / format);
  std::filesystem::create_directories(root / "raw");
  std::filesystem::create_directories(root / "movie");

  int n = 0;
  for (int bits : {1, 4, 8, 24, 32}) {
    for (int height : {5, -3}) {
      BmpRecipe recipe{7, height, bits};
      recipe.palette = {0x000000, 0xFFFFFF, 0x123456, 0xABCDEF};
      for (int y = 0; y < std::abs(height); ++y) {
        recipe.rows.emplace_back();
        for (int x = 0; x < 7; ++x) recipe.rows.back().push_back(static_cast<uint32_t>((x + y) * 0x1F2F3F) % (bits < 24 ? 4 : 0xFFFFFFFF));
      }
      WriteBytes((root / "bmp" / ("seed" + std::to_string(++n) + ".bmp")).string(), EncodeBmp(recipe));
    }
  }

  const auto picture = Picture(24, 17);
  JpegRecipe gray;
  gray.gray = true;
  JpegRecipe progressive;
  progressive.progressive = true;
  JpegRecipe cmyk;
  cmyk.cmyk = true;
  // Pictures taken turned: Exif blocks in both byte orders, one after another APP1 segment.
  JpegRecipe turnedJpeg;
  turnedJpeg.app1 = {ExifOrientationBlock(6)};
  JpegRecipe turnedBigEndian;
  turnedBigEndian.app1 = {{'h', 't', 't', 'p', 0}, ExifOrientationBlock(8, true)};
  const JpegRecipe recipes[] = {JpegRecipe{}, JpegRecipe{30}, gray, progressive, cmyk, turnedJpeg, turnedBigEndian};
  n = 0;
  for (const JpegRecipe& recipe : recipes) {
    WriteBytes((root / "jpeg" / ("seed" + std::to_string(++n) + ".jpg")).string(), EncodeJpeg(*picture, recipe));
  }

  const std::filesystem::path tiff = root / "tiff";
  WriteTiff((tiff / "grey.tif").string(), 1, 8, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, COMPRESSION_NONE);
  WriteTiff((tiff / "white.tif").string(), 1, 16, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, COMPRESSION_LZW);
  WriteTiff((tiff / "rgb.tif").string(), 3, 8, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, COMPRESSION_ADOBE_DEFLATE);
  WriteTiff((tiff / "planes.tif").string(), 4, 16, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, COMPRESSION_NONE);
  WriteTiff((tiff / "palette.tif").string(), 1, 8, PHOTOMETRIC_PALETTE, PLANARCONFIG_CONTIG, COMPRESSION_PACKBITS);
  WriteTiff(*picture, (tiff / "colour.tif").string());
  WriteOrientedTiff(*picture, (tiff / "turned.tif").string(), 6);
  WritePng(*picture, (root / "png" / "colour.png").string());
  WritePng(*Picture(3, 2), (root / "png" / "tiny.png").string());
  WriteGifSeeds(root / "gif");
  WritePsdSeeds(root / "psd");
  WritePnmSeeds(root / "pnm");

  // Camera files: plain, with a thumbnail first, turned, with wide pixels, nearly square.
  // The decoder takes no sensor smaller than 22 pixels a side.
  const std::filesystem::path raw = root / "raw";
  WriteDng(*Picture(32, 24), (raw / "plain.dng").string());
  DngRecipe thumbnail;
  thumbnail.make = "Canon";
  thumbnail.model = "EOS-1D";
  thumbnail.thumbnailWidth = 6;
  thumbnail.thumbnailHeight = 4;
  WriteDng(*Picture(32, 24), (raw / "thumbnail.dng").string(), thumbnail);
  DngRecipe turned;
  turned.orientation = 6;
  WriteDng(*Picture(24, 22), (raw / "turned.dng").string(), turned);
  DngRecipe wide;
  wide.pixelAspect = 2;
  WriteDng(*Picture(22, 22), (raw / "wide.dng").string(), wide);
  WriteDng(*Picture(24, 25), (raw / "square.dng").string());
  // Movies: an uncompressed AVI and a ".mov" of JPEG frames (a phone video is in seeds/movie).
  WriteBytes((root / "movie" / "solid.avi").string(), EncodeAvi(SolidAvi(8, 6, 10, 3, 0x336699)));
  MovieWriter mov;
  const std::string movPath = (root / "movie" / "frames.mov").string();
  if (mov.Begin(movPath, 8, 6, 600)) {
    const VideoFrame frame{8, 6, std::vector<uint32_t>(48, 0x996633)};
    for (int i = 0; i < 2; ++i) mov.AddFrame(EncodeJpegFrame(frame, 80), 60);
    mov.Finish();
  }
  return 0;
}
