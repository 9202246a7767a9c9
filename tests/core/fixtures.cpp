#include "fixtures.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace glintora::testing {

TempFolder::TempFolder() {
  static int counter = 0;
  m_path = std::filesystem::temp_directory_path() /
           ("glintora-fixtures-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(m_path);
  std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  // A new file rather than the old one truncated: truncating in place can make the file
  // system flush the old blocks, which slows tests that rewrite a file thousands of times.
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

namespace {

}  // namespace

std::vector<uint8_t> EncodeBmp(const BmpRecipe& recipe) {
  const int bits = recipe.bitsPerPixel;
  const size_t rowBytes = ((static_cast<size_t>(recipe.width) * bits + 31) / 32) * 4;
  const size_t paletteEntries = bits <= 8 ? size_t{1} << bits : 0;
  const uint32_t pixelOffset = static_cast<uint32_t>(14 + recipe.infoSize + 4 * paletteEntries);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(pixelOffset + rowBytes * recipe.rows.size()));
  Put32(out, 0);
  Put32(out, pixelOffset);
  Put32(out, recipe.infoSize);
  Put32(out, static_cast<uint32_t>(recipe.width));
  Put32(out, static_cast<uint32_t>(recipe.height));
  Put16(out, recipe.planes);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, recipe.compression);
  for (int i = 0; i < 5; ++i) Put32(out, 0);
  out.resize(14 + recipe.infoSize, 0);  // later header versions: zero-filled remainder
  for (size_t i = 0; i < paletteEntries; ++i) Put32(out, i < recipe.palette.size() ? recipe.palette[i] : 0);
  // File order: bottom row first unless top-down.
  const size_t count = recipe.rows.size();
  for (size_t n = 0; n < count; ++n) {
    const std::vector<uint32_t>& row = recipe.rows[recipe.height < 0 ? n : count - 1 - n];
    std::vector<uint8_t> bytes(rowBytes, 0);
    for (size_t x = 0; x < row.size(); ++x) {
      const uint32_t v = row[x];
      switch (bits) {
        case 1: bytes[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8)); break;
        case 4: bytes[x / 2] |= static_cast<uint8_t>((v & 0xF) << (x % 2 ? 0 : 4)); break;
        case 8: bytes[x] = static_cast<uint8_t>(v); break;
        case 24:
          bytes[3 * x] = static_cast<uint8_t>(v);
          bytes[3 * x + 1] = static_cast<uint8_t>(v >> 8);
          bytes[3 * x + 2] = static_cast<uint8_t>(v >> 16);
          break;
        case 32:
          for (int b = 0; b < 4; ++b) bytes[4 * x + b] = static_cast<uint8_t>(v >> (8 * b));
          break;
      }
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::vector<uint8_t> JpegClaimingSize(std::vector<uint8_t> bytes, int width, int height) {
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = static_cast<uint8_t>(height >> 8);
      bytes[i + 6] = static_cast<uint8_t>(height & 0xFF);
      bytes[i + 7] = static_cast<uint8_t>(width >> 8);
      bytes[i + 8] = static_cast<uint8_t>(width & 0xFF);
      break;
    }
  }
  return bytes;
}

std::vector<uint8_t> CutGiantJpeg() {
  std::vector<uint8_t> bytes = EncodeJpeg(*NoisePicture(320, 240));
  bytes.resize(4000);
  return JpegClaimingSize(std::move(bytes), 65500, 65500);
}

std::unique_ptr<CvxImageColor8> NoisePicture(int width, int height) {
  auto image = NewImage<CvxColor8>(width, height, false);
  uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      image->At(x, y) = CvxColor8(static_cast<uint8_t>(state >> 24), static_cast<uint8_t>(state >> 16),
                                  static_cast<uint8_t>(state >> 8));
    }
  }
  return image;
}

std::vector<uint8_t> EncodeJpeg(const CvxImageColor8& picture, const JpegRecipe& recipe) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.m_width);
  info.image_height = static_cast<JDIMENSION>(picture.m_height);
  info.input_components = recipe.gray ? 1 : recipe.cmyk ? 4 : 3;
  info.in_color_space = recipe.gray ? JCS_GRAYSCALE : recipe.cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, recipe.quality, TRUE);
  if (recipe.progressive) jpeg_simple_progression(&info);
  if (recipe.cmyk) info.write_Adobe_marker = TRUE;
  if (recipe.cmyk && recipe.storeCmyk) jpeg_set_colorspace(&info, JCS_CMYK);
  jpeg_start_compress(&info, TRUE);
  for (const std::vector<uint8_t>& payload : recipe.app1) {
    jpeg_write_marker(&info, JPEG_APP0 + 1, payload.data(), static_cast<unsigned>(payload.size()));
  }
  std::vector<uint8_t> line(static_cast<size_t>(picture.m_width) * 4);
  while (info.next_scanline < info.image_height) {
    const CvxColor8* row = picture.Row(static_cast<int>(info.next_scanline));
    for (int x = 0; x < picture.m_width; ++x) {
      if (recipe.gray) {
        line[static_cast<size_t>(x)] = row[x].Green();
      } else if (recipe.cmyk) {
        // Adobe files store CMYK inverted: the stored value is 255 - ink, so with no black
        // ink (stored 255) the colour comes back as the stored C, M, Y.
        line[4 * x] = row[x].Red();
        line[4 * x + 1] = row[x].Green();
        line[4 * x + 2] = row[x].Blue();
        line[4 * x + 3] = static_cast<JSAMPLE>(recipe.cmykBlack);
      } else {
        line[3 * x] = row[x].Red();
        line[3 * x + 1] = row[x].Green();
        line[3 * x + 2] = row[x].Blue();
      }
    }
    JSAMPROW rows[] = {line.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

// The picture as an 8-bit RGB PNG (default compression).
bool WritePng(const CvxImageColor8& picture, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.m_width), static_cast<png_uint_32>(picture.m_height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < picture.m_height; ++y) png_write_row(png, reinterpret_cast<png_const_bytep>(picture.Row(y)));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return true;
}

std::vector<uint8_t> ExifBlock(const std::vector<TiffEntry>& entries, bool bigEndian, uint32_t nextDirectory) {
  std::vector<uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
  const auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
      out.push_back(static_cast<uint8_t>(value >> shift));
    }
  };
  out.push_back(bigEndian ? 'M' : 'I');
  out.push_back(bigEndian ? 'M' : 'I');
  put(42, 2);
  put(8, 4);
  put(static_cast<uint32_t>(entries.size()), 2);
  for (const TiffEntry& entry : entries) {
    put(entry.tag, 2);
    put(entry.type, 2);
    put(entry.count, 4);
    if (entry.type == kTiffShort && entry.count == 1) {
      put(entry.value, 2);
      put(0, 2);
    } else {
      put(entry.value, 4);
    }
  }
  put(nextDirectory, 4);
  return out;
}

std::vector<uint8_t> ExifOrientationBlock(int orientation, bool bigEndian) {
  // The maker entry before the orientation, as cameras write them in tag order.
  return ExifBlock({{271, 2, 1, 0}, {kOrientationTagNumber, kTiffShort, 1, static_cast<uint32_t>(orientation)}},
                   bigEndian);
}

// The picture as an 8-bit RGB TIFF with deflate compression, 16 rows a strip.
bool WriteTiff(const CvxImageColor8& picture, const std::string& path) { return WriteOrientedTiff(picture, path, 1); }

bool WriteOrientedTiff(const CvxImageColor8& picture, const std::string& path, int orientation) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, picture.m_width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, picture.m_height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
  if (orientation != 1) TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  std::vector<uint8_t> line(static_cast<size_t>(picture.m_width) * 3);
  for (int y = 0; y < picture.m_height; ++y) {
    const CvxColor8* row = picture.Row(y);
    for (int x = 0; x < picture.m_width; ++x) {
      line[3 * x] = row[x].Red();
      line[3 * x + 1] = row[x].Green();
      line[3 * x + 2] = row[x].Blue();
    }
    if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) != 1) break;
  }
  TIFFClose(tiff);
  return true;
}

namespace {

// The tags that make a TIFF directory a DNG: version, maker and model.
void SetDngIdentity(TIFF* tiff, const DngRecipe& recipe) {
  const uint8_t version[4] = {1, 4, 0, 0};
  TIFFSetField(tiff, TIFFTAG_DNGVERSION, version);
  TIFFSetField(tiff, TIFFTAG_MAKE, recipe.make.c_str());
  TIFFSetField(tiff, TIFFTAG_MODEL, recipe.model.c_str());
  TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, (recipe.make + " " + recipe.model).c_str());
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, recipe.orientation);
}

bool WriteThumbnail(TIFF* tiff, const CvxImageColor8& picture, const DngRecipe& recipe) {
  const int width = recipe.thumbnailWidth;
  const int height = recipe.thumbnailHeight;
  TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  SetDngIdentity(tiff, recipe);
  const toff_t subImages[1] = {0};  // the sensor image is the next directory written
  TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, subImages);
  std::vector<uint8_t> line(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    const CvxColor8* row = picture.Row(y * picture.m_height / height);
    for (int x = 0; x < width; ++x) {
      const CvxColor8& pixel = row[x * picture.m_width / width];
      line[3 * x] = pixel.Red();
      line[3 * x + 1] = pixel.Green();
      line[3 * x + 2] = pixel.Blue();
    }
    if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) != 1) return false;
  }
  return TIFFWriteDirectory(tiff) == 1;
}

}  // namespace

bool WriteDng(const CvxImageColor8& picture, const std::string& path, const DngRecipe& recipe) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) return false;
  const bool thumbnail = recipe.thumbnailWidth > 0 && recipe.thumbnailHeight > 0;
  if (thumbnail && !WriteThumbnail(tiff, picture, recipe)) {
    TIFFClose(tiff);
    return false;
  }
  TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, picture.m_width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, picture.m_height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_CFA);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 64);
  if (!thumbnail) SetDngIdentity(tiff, recipe);
  const uint16_t repeat[2] = {2, 2};
  TIFFSetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, repeat);
  const uint8_t pattern[4] = {0, 1, 1, 2};  // red green / green blue
  TIFFSetField(tiff, TIFFTAG_CFAPATTERN, 4, pattern);
  // From CIE XYZ to the camera's colours: the linear sRGB matrix, so the camera is sRGB.
  const float xyzToCamera[9] = {3.2406f, -1.5372f, -0.4986f, -0.9689f, 1.8758f, 0.0415f, 0.0557f, -0.2040f, 1.0570f};
  TIFFSetField(tiff, TIFFTAG_COLORMATRIX1, 9, xyzToCamera);
  TIFFSetField(tiff, TIFFTAG_CALIBRATIONILLUMINANT1, 21);  // D65
  const float neutral[3] = {1, 1, 1};
  TIFFSetField(tiff, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);
  const uint32_t white[1] = {65535};
  TIFFSetField(tiff, TIFFTAG_WHITELEVEL, 1, white);
  if (recipe.pixelAspect != 1) {
    const float scale[2] = {recipe.pixelAspect, 1};
    TIFFSetField(tiff, TIFFTAG_DEFAULTSCALE, scale);
  }
  std::vector<uint16_t> line(static_cast<size_t>(picture.m_width));
  bool written = true;
  for (int y = 0; y < picture.m_height && written; ++y) {
    const CvxColor8* row = picture.Row(y);
    for (int x = 0; x < picture.m_width; ++x) {
      const int color = (y & 1) + (x & 1);  // 0 red, 1 green, 2 blue
      line[static_cast<size_t>(x)] = static_cast<uint16_t>(row[x].c[2 - color] * 257);
    }
    written = TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  TIFFClose(tiff);
  return written;
}

}  // namespace glintora::testing
