// Writes the seed pictures of the loader fuzz targets: small valid files of each format
// and variant, made by the same encoders the tests use.
//   usage: make_seeds FOLDER   (creates FOLDER/bmp, FOLDER/jpeg)

#include <filesystem>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "bmp");
  std::filesystem::create_directories(root / "jpeg");

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
  return 0;
}
