#pragma once
// Picture files made at test time: bitmaps written byte by byte, JPEGs with libjpeg, in a
// temporary folder that goes with the test.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/image/image.h"

namespace glintora::testing {

// A folder for one test's files, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Path(const std::string& name) const { return (m_path / name).string(); }

 private:
  std::filesystem::path m_path;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
#ifdef GLINTORA_FINDINGS_DIR
// An input kept under tests/findings that once crashed or exhausted a decoder, by its fuzz
// target's folder and name ("raw/....tif"); empty when missing.
inline std::vector<uint8_t> ReadFinding(const std::string& name) {
  return ReadBytes(std::string(GLINTORA_FINDINGS_DIR) + "/" + name);
}
#endif
// Appends `v` as 2 or 4 little-endian bytes, as the RIFF and BMP layouts store numbers.
void Put16(std::vector<uint8_t>& out, uint32_t v);
void Put32(std::vector<uint8_t>& out, uint32_t v);

struct BmpRecipe {
  int width = 0;
  int height = 0;  // negative: rows stored top-down
  int bitsPerPixel = 24;
  uint32_t infoSize = 40;
  uint32_t compression = 0;
  uint16_t planes = 1;
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
  // Pixel values of each row, top row first: palette indices, 0/1 bits, or packed
  // 0xAARRGGBB colours for 24 and 32 bits.
  std::vector<std::vector<uint32_t>> rows;
};
std::vector<uint8_t> EncodeBmp(const BmpRecipe& recipe);

struct JpegRecipe {
  int quality = 95;
  bool gray = false;
  bool progressive = false;
  bool cmyk = false;  // four components, written with an Adobe marker (inverted)
  int cmykBlack = 255;      // the stored K of every pixel (255: no black ink)
  bool storeCmyk = false;   // store C, M, Y, K themselves rather than the default YCCK
  // Payloads of APP1 segments written after the JFIF segment, in order (an Exif block, say).
  std::vector<std::vector<uint8_t>> app1;
};
// Encodes a Color8 picture (grey uses its green channel; CMYK stores red, green and blue
// as the inverted C, M, Y, and `cmykBlack` as K).
std::vector<uint8_t> EncodeJpeg(const CvxImageColor8& picture, const JpegRecipe& recipe = {});
// JPEG bytes with the frame header's width and height replaced.
std::vector<uint8_t> JpegClaimingSize(std::vector<uint8_t> bytes, int width, int height);
// A small JPEG of noise cut after 4,000 bytes whose header claims 65,500 × 65,500 pixels: no
// complete row of blocks comes out of it at any scale.
std::vector<uint8_t> CutGiantJpeg();
// A picture of pseudo-random pixels, which compresses badly.
std::unique_ptr<CvxImageColor8> NoisePicture(int width, int height);

// The picture as an 8-bit RGB PNG, and as an 8-bit RGB TIFF (deflate, 16 rows a strip);
// false when the file cannot be written.
bool WritePng(const CvxImageColor8& picture, const std::string& path);
bool WriteTiff(const CvxImageColor8& picture, const std::string& path);
// The same TIFF carrying the orientation tag `orientation` (none for 1).
bool WriteOrientedTiff(const CvxImageColor8& picture, const std::string& path, int orientation);

// One entry of a TIFF directory; a value of one SHORT stands in the first two bytes of the
// value field, as the format stores it.
struct TiffEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint32_t value = 0;
};
inline constexpr uint16_t kTiffShort = 3;
inline constexpr uint16_t kTiffLong = 4;
inline constexpr uint16_t kOrientationTagNumber = 274;
// An Exif block, the payload of an APP1 segment: "Exif\0\0", then a TIFF structure whose
// header (at offset 6 of the block) names a first directory at offset 8 holding `entries`,
// followed by `nextDirectory` as the offset of the next one.
std::vector<uint8_t> ExifBlock(const std::vector<TiffEntry>& entries, bool bigEndian = false,
                               uint32_t nextDirectory = 0);
// The block of a camera that stored its picture with `orientation`.
std::vector<uint8_t> ExifOrientationBlock(int orientation, bool bigEndian = false);

// A minimal uncompressed DNG whose sensor has a red-green / green-blue colour filter array
// sampling `picture` (each 8-bit value times 257). The camera's colours are linear sRGB with
// a neutral white balance, so a decode gives the picture's colours back, linear. With a
// thumbnail size, the first image is an 8-bit RGB thumbnail of the picture and the sensor
// image a sub-image of it, as some cameras write their raw files.
struct DngRecipe {
  std::string make = "Glintora";
  std::string model = "Synthetic CFA";
  int orientation = 1;      // TIFF orientation code
  float pixelAspect = 1;    // horizontal over vertical pixel size
  int thumbnailWidth = 0;
  int thumbnailHeight = 0;
};
bool WriteDng(const CvxImageColor8& picture, const std::string& path, const DngRecipe& recipe = {});

}  // namespace glintora::testing
