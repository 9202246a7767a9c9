// Bitmap file layout, all numbers little-endian:
//   file header (14 bytes)  type "BM" u16, file size u32, reserved u16 × 2, pixel offset u32
//   info header (40 bytes+) size u32, width i32, height i32 (negative: top-down), planes u16,
//                           bits per pixel u16, compression u32 (0: none), image size u32,
//                           resolutions i32 × 2, colours used u32, important colours u32
//   palette                 for 1, 4 and 8 bits: 2^bits × {blue, green, red, reserved},
//                           right after the info header (its own size)
//   pixels                  rows bottom row first (top row first when top-down), each padded
//                           to a multiple of 4 bytes

#include "core/loaders/bmp_loader.h"

#include <array>
#include <span>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/base/byte_order.h"
#include "core/base/file_io.h"

namespace glintora {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;  // the oldest and shortest version
constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

struct BmpHeaders {
  uint32_t pixelOffset = 0;
  uint32_t infoSize = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = 0;
};

uint16_t U16(const uint8_t* p) { return LoadLittleEndian16(p); }
uint32_t U32(const uint8_t* p) { return LoadLittleEndian32(p); }

// Both headers from a file's first bytes; false when there are fewer or they are not "BM".
bool ParseHeaders(std::span<const uint8_t> head, BmpHeaders& h) {
  if (head.size() < kHeadersSize) return false;
  const uint8_t* bytes = head.data();
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  h.pixelOffset = U32(bytes + 10);
  h.infoSize = U32(bytes + kFileHeaderSize);
  h.width = static_cast<int32_t>(U32(bytes + 18));
  h.height = static_cast<int32_t>(U32(bytes + 22));
  h.planes = U16(bytes + 26);
  h.bitsPerPixel = U16(bytes + 28);
  h.compression = U32(bytes + 30);
  return true;
}

// Both headers from the start of the source.
bool ReadHeaders(ByteSource& source, BmpHeaders& h) {
  uint8_t bytes[kHeadersSize];
  return source.Seek(0) && source.Read(bytes, sizeof bytes) == sizeof bytes && ParseHeaders(bytes, h);
}

bool Supported(const BmpHeaders& h) {
  const int bits = h.bitsPerPixel;
  return h.planes == 1 && (bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32) && h.compression == 0;
}

int32_t ResultType(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return Gray8;
    case 4:
    case 8:
    case 24: return Color8;
    case 32: return Alpha8;
    default: return 0;
  }
}

// Bytes of one row in the file: width × bits rounded up to whole 32-bit words.
uint64_t FileRowBytes(int64_t width, int bitsPerPixel) { return ((uint64_t(width) * bitsPerPixel + 31) / 32) * 4; }

}  // namespace

bool CvxLoaderBMP::Recognises(std::span<const uint8_t> head) {
  BmpHeaders h;
  return ParseHeaders(head, h) && Supported(h);
}

CvxImageHeader CvxLoaderBMP::ReadInfo(ByteSource& source) {
  BmpHeaders h;
  if (!ReadHeaders(source, h)) return {};
  const int32_t type = ResultType(h.bitsPerPixel);
  // A top-down bitmap decodes upright, so its height is reported as a row count.
  const int32_t height = h.height == INT32_MIN ? 0 : std::abs(h.height);
  return CvxImageHeader(h.width, height, type ? Bmp : 0, type);
}

std::unique_ptr<CvxImage> CvxLoaderBMP::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  BmpHeaders h;
  if (!ReadHeaders(source, h) || !Supported(h)) return nullptr;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return nullptr;
  const int bits = h.bitsPerPixel;
  const bool topDown = h.height < 0;
  const int width = h.width;
  const int height = topDown ? -h.height : h.height;
  if (!ImageOfTypeFits(ResultType(bits), width, height)) return nullptr;

  // The palette lies after the info header, whatever its version's size; missing entries
  // stay black.
  std::array<CvxColor8, 256> palette{};
  if (bits <= 8) {
    const int64_t paletteStart =
        int64_t{kFileHeaderSize} + (h.infoSize < kInfoHeaderSize ? kInfoHeaderSize : h.infoSize);
    if (h.infoSize <= 0x10000 && source.Seek(paletteStart)) {
      uint8_t entries[256 * 4] = {};
      const size_t count = size_t{1} << bits;
      source.Read(entries, 4 * count);
      for (size_t i = 0; i < count; ++i) palette[i] = CvxColor8(entries[4 * i], entries[4 * i + 1], entries[4 * i + 2]);
    }
  }
  if (!source.Seek(h.pixelOffset)) return nullptr;

  const uint64_t rowBytes = FileRowBytes(width, bits);
  std::unique_ptr<CvxImage> image = CreateImage(ResultType(bits), width, height, /*clear=*/true);
  if (!image) return nullptr;
  std::vector<uint8_t> buffer(bits <= 8 ? static_cast<size_t>(rowBytes) : 0);

  // A file cut short keeps the rows it holds; one without a single row is no picture.
  int rowsRead = 0;
  for (; rowsRead < height; ++rowsRead) {
    const int n = rowsRead;
    uint8_t* out = image->GetRows()[topDown ? n : height - 1 - n];
    if (bits >= 24) {
      // The file's rows have the image's own layout and padding.
      if (source.Read(out, static_cast<size_t>(rowBytes)) != rowBytes) break;
      continue;
    }
    if (source.Read(buffer.data(), buffer.size()) != buffer.size()) break;
    if (bits == 1) {
      for (int x = 0; x < width; ++x) out[x] = (buffer[static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1 ? 255 : 0;
    } else {
      auto* pixels = reinterpret_cast<CvxColor8*>(out);
      for (int x = 0; x < width; ++x) {
        const uint8_t index =
            bits == 8 ? buffer[static_cast<size_t>(x)] : (buffer[static_cast<size_t>(x / 2)] >> (x % 2 ? 0 : 4)) & 0x0F;
        pixels[x] = palette[index];
      }
    }
  }
  if (rowsRead == 0) return nullptr;
  image->m_format = Bmp;
  return image;
}

}  // namespace glintora
