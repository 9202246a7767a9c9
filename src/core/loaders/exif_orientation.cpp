#include "core/loaders/exif_orientation.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/base/byte_order.h"
#include "core/base/byte_source.h"
#include "core/image/orientation.h"

namespace glintora {
namespace {

// A JPEG file is the start marker FF D8, then segments, each FF, its marker byte (after any
// number of FF fill bytes) and, except for the stand-alone markers, a big-endian 16-bit
// length that counts itself and the payload after it. The Exif block is the payload of an
// APP1 segment that begins with the Exif header; it stands before the first scan.
constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kTemporary = 0x01;       // stand-alone
constexpr uint8_t kFirstRestart = 0xD0;    // RST0 .. RST7: stand-alone
constexpr uint8_t kLastRestart = 0xD7;
constexpr size_t kLengthSize = 2;
constexpr std::array<uint8_t, 6> kExifHeader = {'E', 'x', 'i', 'f', 0, 0};

// Exif follows the start marker at once or after one or two other application segments; a
// file of endless empty segments or fill bytes is not walked to its end.
constexpr int kMaxSegments = 64;
constexpr int kMaxFillBytes = 64;

// The TIFF structure, every offset counted from its first byte:
//   0  2  byte order: "II" little-endian, "MM" big-endian
//   2  2  42
//   4  4  offset of the first directory
// A directory:
//   0       2    entry count n
//   2       12n  entries: 0 tag (2), 2 type (2), 4 value count (4), 8 the value itself when
//                it fits four bytes (left-aligned), else its offset (4)
//   2 + 12n 4    offset of the next directory
// Only the first directory is read: it describes the picture; later ones describe its
// thumbnails. No chain of directories is followed, so a loop of them is never walked.
constexpr size_t kTiffHeaderSize = 8;
constexpr uint16_t kTiffMagic = 42;
constexpr size_t kCountSize = 2;
constexpr size_t kEntrySize = 12;
constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kTypeShort = 3;

class TiffBytes {
 public:
  TiffBytes(const uint8_t* data, bool bigEndian) : m_data(data), m_bigEndian(bigEndian) {}
  // The caller has checked that the bytes lie within the structure.
  uint16_t U16(size_t at) const {
    return m_bigEndian ? LoadBigEndian16(m_data + at) : LoadLittleEndian16(m_data + at);
  }
  uint32_t U32(size_t at) const {
    const uint32_t first = U16(at), second = U16(at + 2);
    return m_bigEndian ? first << 16 | second : second << 16 | first;
  }

 private:
  const uint8_t* m_data;
  bool m_bigEndian;
};

bool ReadExactly(ByteSource& source, uint8_t* into, size_t count) { return source.Read(into, count) == count; }

// The next marker byte: FF, any fill bytes, then the marker; -1 when the file ends or the
// bytes there are no marker.
int NextMarker(ByteSource& source) {
  uint8_t byte = 0;
  if (!ReadExactly(source, &byte, 1) || byte != kMarkerPrefix) return -1;
  for (int fill = 0; fill <= kMaxFillBytes; ++fill) {
    if (!ReadExactly(source, &byte, 1)) return -1;
    if (byte != kMarkerPrefix) return byte;
  }
  return -1;
}

bool IsStandAlone(int marker) {
  return marker == kTemporary || marker == kStartOfImage || (marker >= kFirstRestart && marker <= kLastRestart);
}

}  // namespace

int TiffStructureOrientation(const uint8_t* data, size_t size) {
  if (!data || size < kTiffHeaderSize) return kOrientationUpright;
  bool bigEndian = false;
  if (data[0] == 'M' && data[1] == 'M') {
    bigEndian = true;
  } else if (data[0] != 'I' || data[1] != 'I') {
    return kOrientationUpright;
  }
  const TiffBytes bytes(data, bigEndian);
  if (bytes.U16(2) != kTiffMagic) return kOrientationUpright;
  const uint64_t directory = bytes.U32(4);
  if (directory < kTiffHeaderSize || directory > size - kCountSize) return kOrientationUpright;
  const uint64_t count = bytes.U16(static_cast<size_t>(directory));
  // A directory cut short by the end of the block is damaged as a whole.
  if (count * kEntrySize > size - kCountSize - directory) return kOrientationUpright;
  for (uint64_t i = 0; i < count; ++i) {
    const size_t entry = static_cast<size_t>(directory + kCountSize + i * kEntrySize);
    if (bytes.U16(entry) != kOrientationTag) continue;
    if (bytes.U16(entry + 2) != kTypeShort || bytes.U32(entry + 4) != 1) return kOrientationUpright;
    const int code = bytes.U16(entry + 8);
    return IsOrientationCode(code) ? code : kOrientationUpright;
  }
  return kOrientationUpright;
}

int JpegOrientation(ByteSource& source) {
  std::array<uint8_t, 2> start{};
  if (!source.Seek(0) || !ReadExactly(source, start.data(), start.size()) || start[0] != kMarkerPrefix || start[1] != kStartOfImage) {
    return kOrientationUpright;
  }
  for (int segment = 0; segment < kMaxSegments; ++segment) {
    const int marker = NextMarker(source);
    if (marker < 0 || marker == kStartOfScan || marker == kEndOfImage) return kOrientationUpright;
    if (IsStandAlone(marker)) continue;
    std::array<uint8_t, kLengthSize> length{};
    if (!ReadExactly(source, length.data(), length.size())) return kOrientationUpright;
    const size_t total = LoadBigEndian16(length.data());
    if (total < kLengthSize) return kOrientationUpright;
    size_t payload = total - kLengthSize;
    if (marker == kApp1 && payload >= kExifHeader.size()) {
      std::array<uint8_t, kExifHeader.size()> header{};
      if (!ReadExactly(source, header.data(), header.size())) return kOrientationUpright;
      payload -= header.size();
      if (header == kExifHeader) {
        // The first Exif block decides, damaged or not.
        std::vector<uint8_t> block(payload);
        if (!ReadExactly(source, block.data(), block.size())) return kOrientationUpright;
        return TiffStructureOrientation(block.data(), block.size());
      }
    }
    const int64_t at = source.Tell();
    if (at < 0 || !source.Seek(at + static_cast<int64_t>(payload))) return kOrientationUpright;
  }
  return kOrientationUpright;
}

}  // namespace glintora
