// Writes the seed pictures of the loader fuzz targets: small valid files of each format
// and variant, made by the same encoders the tests use.
//   usage: make_seeds FOLDER   (creates FOLDER/bmp, FOLDER/jpeg, FOLDER/png, FOLDER/raw,
//   FOLDER/tiff)

#include <filesystem>
#include <string>

#include <tiffio.h>

#include "fixtures.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "bmp");
  std::filesystem::create_directories(root / "jpeg");
  std::filesystem::create_directories(root / "tiff");
  std::filesystem::create_directories(root / "png");
  std::filesystem::create_directories(root / "raw");

  int n = 0;
  for (int bits : {1, 4, 8, 24, 32}) {
    for (int height : {5, -3}) {
      BmpSpec spec{7, height, bits};
      spec.palette = {0x000000, 0xFFFFFF, 0x123456, 0xABCDEF};
      for (int y = 0; y < std::abs(height); ++y) {
        spec.rows.emplace_back();
        for (int x = 0; x < 7; ++x) spec.rows.back().push_back(static_cast<uint32_t>((x + y) * 0x1F2F3F) % (bits < 24 ? 4 : 0xFFFFFFFF));
      }
      WriteBytes((root / "bmp" / ("seed" + std::to_string(++n) + ".bmp")).string(), EncodeBmp(spec));
    }
  }

  const auto picture = Picture(24, 17);
  JpegSpec gray;
  gray.gray = true;
  JpegSpec progressive;
  progressive.progressive = true;
  JpegSpec cmyk;
  cmyk.cmyk = true;
  const JpegSpec specs[] = {JpegSpec{}, JpegSpec{30}, gray, progressive, cmyk};
  n = 0;
  for (const JpegSpec& spec : specs) {
    WriteBytes((root / "jpeg" / ("seed" + std::to_string(++n) + ".jpg")).string(), EncodeJpeg(*picture, spec));
  }

  const std::filesystem::path tiff = root / "tiff";
  WriteTiff((tiff / "grey.tif").string(), 1, 8, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, COMPRESSION_NONE);
  WriteTiff((tiff / "white.tif").string(), 1, 16, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, COMPRESSION_LZW);
  WriteTiff((tiff / "rgb.tif").string(), 3, 8, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, COMPRESSION_ADOBE_DEFLATE);
  WriteTiff((tiff / "planes.tif").string(), 4, 16, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, COMPRESSION_NONE);
  WriteTiff((tiff / "palette.tif").string(), 1, 8, PHOTOMETRIC_PALETTE, PLANARCONFIG_CONTIG, COMPRESSION_PACKBITS);
  WriteTiff(*picture, (tiff / "colour.tif").string());
  WritePng(*picture, (root / "png" / "colour.png").string());
  WritePng(*Picture(3, 2), (root / "png" / "tiny.png").string());

  // Camera files: plain, with a thumbnail first, turned, with wide pixels, nearly square.
  // The decoder takes no sensor smaller than 22 pixels a side.
  const std::filesystem::path raw = root / "raw";
  WriteDng(*Picture(32, 24), (raw / "plain.dng").string());
  DngSpec thumbnail;
  thumbnail.make = "Canon";
  thumbnail.model = "EOS-1D";
  thumbnail.thumbnailWidth = 6;
  thumbnail.thumbnailHeight = 4;
  WriteDng(*Picture(32, 24), (raw / "thumbnail.dng").string(), thumbnail);
  DngSpec turned;
  turned.orientation = 6;
  WriteDng(*Picture(24, 22), (raw / "turned.dng").string(), turned);
  DngSpec wide;
  wide.pixelAspect = 2;
  WriteDng(*Picture(22, 22), (raw / "wide.dng").string(), wide);
  WriteDng(*Picture(24, 25), (raw / "square.dng").string());
  return 0;
}
