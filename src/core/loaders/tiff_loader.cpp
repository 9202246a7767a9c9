#include "core/loaders/tiff_loader.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "core/base/byte_source.h"
#include "core/image/orientation.h"

namespace glintora {
namespace {

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// The library reads through these from the byte source in its client data. The source
// belongs to the caller and outlives the handle, so closing leaves it alone; it is never
// mapped into memory, nor written.
tmsize_t ReadTiff(thandle_t handle, void* into, tmsize_t count) {
  if (count <= 0) return 0;
  return static_cast<tmsize_t>(static_cast<ByteSource*>(handle)->Read(into, static_cast<size_t>(count)));
}
tmsize_t WriteTiff(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekTiff(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<ByteSource*>(handle);
  int64_t base = 0;
  if (whence == SEEK_CUR) base = source->Tell();
  if (whence == SEEK_END) base = source->Size();
  if (base < 0 || offset > static_cast<toff_t>(INT64_MAX - base)) return static_cast<toff_t>(-1);
  const int64_t target = base + static_cast<int64_t>(offset);
  return source->Seek(target) ? static_cast<toff_t>(target) : static_cast<toff_t>(-1);
}
int CloseTiff(thandle_t) { return 0; }
toff_t TiffSize(thandle_t handle) {
  const int64_t size = static_cast<ByteSource*>(handle)->Size();
  return size < 0 ? 0 : static_cast<toff_t>(size);
}
int MapTiff(thandle_t, void**, toff_t*) { return 0; }
void UnmapTiff(thandle_t, void*, toff_t) {}

// Opens the source from its start for reading, with the library's messages switched off:
// its default handlers print or show a message box, and a bad file is skipped in silence.
// The handlers are process-wide, so they are set again before every open.
TiffPtr OpenTiff(ByteSource& source) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  if (!source.Seek(0)) return nullptr;
  const char* name = source.Name().empty() ? "memory" : source.Name().c_str();
  return TiffPtr(TIFFClientOpen(name, "r", &source, ReadTiff, WriteTiff, SeekTiff, CloseTiff, TiffSize, MapTiff,
                                UnmapTiff));
}

// The fields of the first directory that decide the decode. Fields with a default in the
// TIFF standard take it when absent (writers often leave out samples per pixel for grey and
// palette pictures); any other absent field reads 0.
struct TiffFields {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bitsPerSample = 0;
  uint16_t samplesPerPixel = 0;
  uint16_t photometric = 0;
  uint16_t planarConfig = 0;
};

TiffFields ReadFields(TIFF* tiff) {
  TiffFields fields;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &fields.width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &fields.height);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &fields.bitsPerSample);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &fields.samplesPerPixel);
  TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &fields.photometric);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &fields.planarConfig);
  return fields;
}

bool HasDecodedIndexSize(const TiffFields& fields) {
  return fields.bitsPerSample == 8 || fields.bitsPerSample == 16;
}

// The three arrays of a palette, 2^bits entries each. A map whose entries all fit in a
// byte was written by an 8-bit tool and gives 8-bit colour; any larger entry makes it a
// 16-bit map.
struct ColorMap {
  const uint16_t* red = nullptr;
  const uint16_t* green = nullptr;
  const uint16_t* blue = nullptr;
  bool wide = false;
};

std::optional<ColorMap> ReadColorMap(TIFF* tiff, const TiffFields& fields) {
  ColorMap map;
  if (!HasDecodedIndexSize(fields) || !TIFFGetField(tiff, TIFFTAG_COLORMAP, &map.red, &map.green, &map.blue) ||
      !map.red || !map.green || !map.blue) {
    return std::nullopt;
  }
  const size_t entries = size_t{1} << fields.bitsPerSample;
  for (size_t i = 0; i < entries && !map.wide; ++i) {
    map.wide = map.red[i] > 0xFF || map.green[i] > 0xFF || map.blue[i] > 0xFF;
  }
  return map;
}

// The pixel type a decode produces; 0 when the picture is not decoded.
int32_t DecodedType(TIFF* tiff, const TiffFields& fields) {
  if (!HasDecodedIndexSize(fields)) return 0;
  const int bytesPerSample = fields.bitsPerSample / 8;
  const int samples = fields.samplesPerPixel;
  switch (fields.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
      if (samples == 1) return ImageTypeFor(1, bytesPerSample);
      [[fallthrough]];  // three or four samples are read as RGB(A)
    case PHOTOMETRIC_RGB:
      return samples == 3 || samples == 4 ? ImageTypeFor(samples, bytesPerSample) : 0;
    case PHOTOMETRIC_PALETTE: {
      if (samples != 1) return 0;
      const std::optional<ColorMap> map = ReadColorMap(tiff, fields);
      if (!map) return 0;
      return map->wide ? Color16 : Color8;
    }
    default:
      return 0;
  }
}

// The scanlines of the first image, whether the file keeps them in strips or in tiles. A
// tiled file is read one band of tiles (a tile's height, the image's width) at a time: each
// tile is read once, into its place in the band, and a tile that cannot be read leaves its
// area zero, as a bad scanline leaves its row.
class ScanlineReader {
 public:
  explicit ScanlineReader(TIFF* tiff) : m_tiff(tiff), m_tiled(TIFFIsTiled(tiff) != 0) {}

  // For lines of `lineBytes` bytes (one plane's samples) of a `width` × `height` picture;
  // false when the tiles do not fit them or would exceed kMaxTiffTileBytes.
  bool Prepare(uint64_t lineBytes, uint32_t width, uint32_t height) {
    m_lineBytes = static_cast<size_t>(lineBytes);
    m_width = width;
    m_height = height;
    if (!m_tiled) return true;
    if (width == 0 || lineBytes % width != 0 || !TIFFGetField(m_tiff, TIFFTAG_TILEWIDTH, &m_tileWidth) ||
        !TIFFGetField(m_tiff, TIFFTAG_TILELENGTH, &m_tileLength) || m_tileWidth == 0 || m_tileLength == 0) {
      return false;
    }
    m_pixelBytes = static_cast<size_t>(lineBytes / width);
    const uint64_t tileBytes = TIFFTileSize64(m_tiff);
    if (TIFFTileRowSize64(m_tiff) != uint64_t{m_tileWidth} * m_pixelBytes || tileBytes == 0 ||
        tileBytes > kMaxTiffTileBytes || tileBytes < uint64_t{m_tileWidth} * m_pixelBytes * m_tileLength) {
      return false;
    }
    // The band is at most the picture, whose size the caller has checked.
    m_bandRows = std::min(m_tileLength, height);
    m_tile.resize(static_cast<size_t>(tileBytes));
    m_band.resize(m_lineBytes * m_bandRows);
    return true;
  }

  // Scanline `y` of `plane` into `into`; false when nothing of it could be read.
  bool Read(void* into, uint32_t y, int plane) {
    if (!m_tiled) return TIFFReadScanline(m_tiff, into, y, static_cast<uint16_t>(plane)) == 1;
    const uint32_t top = y / m_tileLength * m_tileLength;
    if (top != m_bandTop || plane != m_bandPlane) LoadBand(top, plane);
    std::memcpy(into, m_band.data() + (y - top) * m_lineBytes, m_lineBytes);
    return m_bandRead;
  }

 private:
  void LoadBand(uint32_t top, int plane) {
    m_bandTop = top;
    m_bandPlane = plane;
    m_bandRead = false;
    std::fill(m_band.begin(), m_band.end(), uint8_t{0});
    const uint32_t rows = std::min(m_bandRows, m_height - top);
    for (uint32_t left = 0; left < m_width; left += m_tileWidth) {
      if (TIFFReadTile(m_tiff, m_tile.data(), left, top, 0, static_cast<uint16_t>(plane)) < 0) continue;
      m_bandRead = true;
      const size_t bytes = std::min<size_t>(m_tileWidth, m_width - left) * m_pixelBytes;
      for (uint32_t r = 0; r < rows; ++r) {
        std::memcpy(m_band.data() + r * m_lineBytes + left * m_pixelBytes, m_tile.data() + r * m_tileWidth * m_pixelBytes,
                    bytes);
      }
      if (left > UINT32_MAX - m_tileWidth) break;
    }
  }

  TIFF* m_tiff;
  bool m_tiled;
  size_t m_lineBytes = 0;
  size_t m_pixelBytes = 0;
  uint32_t m_width = 0;
  uint32_t m_height = 0;
  uint32_t m_tileWidth = 0;
  uint32_t m_tileLength = 0;
  uint32_t m_bandRows = 0;
  std::vector<uint8_t> m_tile;  // one tile as the library gives it
  std::vector<uint8_t> m_band;  // the band's lines, one plane
  uint32_t m_bandTop = UINT32_MAX;
  int m_bandPlane = -1;
  bool m_bandRead = false;  // some tile of the band was read
};

// Contiguous samples: each scanline goes straight into its image row. `linesRead` counts the
// scanlines the library could read.
template <typename P>
bool ReadRows(ScanlineReader& lines, CvxImageT<P>& image, const std::atomic<bool>& stop, int& linesRead) {
  for (int y = 0; y < image.m_height; ++y) {
    P* row = image.Row(y);
    if (lines.Read(row, static_cast<uint32_t>(y), 0)) {
      ++linesRead;
    } else {
      // A row the decoder gave up on stays black, whatever it left there.
      std::memset(static_cast<void*>(row), 0, sizeof(P) * static_cast<size_t>(image.m_width));
    }
    if (stop) return false;
  }
  return true;
}

// Separate planes: red, green, blue and alpha of the file land in channels 2, 1, 0 and 3.
template <typename P>
bool ReadPlanes(ScanlineReader& lines, CvxImageT<P>& image, const std::atomic<bool>& stop, int& linesRead) {
  using Channel = typename PixelTraits<P>::Channel;
  constexpr int kChannelOfPlane[] = {2, 1, 0, 3};
  std::vector<Channel> samples(static_cast<size_t>(image.m_width));
  for (int plane = 0; plane < PixelTraits<P>::kChannels; ++plane) {
    const int channel = kChannelOfPlane[plane];
    for (int y = 0; y < image.m_height; ++y) {
      if (lines.Read(samples.data(), static_cast<uint32_t>(y), plane)) {
        ++linesRead;
        P* row = image.Row(y);
        for (int x = 0; x < image.m_width; ++x) row[x].c[channel] = samples[static_cast<size_t>(x)];
      }
      if (stop) return false;
    }
  }
  return true;
}

template <typename P>
std::unique_ptr<CvxImage> DecodeSamples(TIFF* tiff, const TiffFields& fields, const std::atomic<bool>& stop) {
  using Traits = PixelTraits<P>;
  const bool separate = fields.planarConfig == PLANARCONFIG_SEPARATE && !Traits::kIsGray;
  // The library writes one scanline into a row or the plane buffer; it must fit exactly.
  const uint64_t lineBytes =
      uint64_t{fields.width} * static_cast<uint64_t>(separate ? Traits::kBytesPerChannel : Traits::kBytesPerPixel);
  ScanlineReader lines(tiff);
  if (TIFFScanlineSize64(tiff) != lineBytes || !lines.Prepare(lineBytes, fields.width, fields.height)) return nullptr;

  auto image = NewImage<P>(static_cast<int>(fields.width), static_cast<int>(fields.height), true);
  if (!image || stop) return nullptr;
  int linesRead = 0;
  if (!(separate ? ReadPlanes(lines, *image, stop, linesRead) : ReadRows(lines, *image, stop, linesRead))) {
    return nullptr;
  }
  if (linesRead == 0) return nullptr;  // not one row of pixel data: no picture

  if constexpr (Traits::kIsGray) {
    if (fields.photometric == PHOTOMETRIC_MINISWHITE) image->Invert();
  } else {
    if (!separate) image->SwapRedBlue();  // the file's red-green-blue into our blue-green-red
  }
  return image;
}

// Maps every index through the three arrays: 8-bit maps give their low bytes, 16-bit maps
// their whole entries.
template <typename Index, typename P>
std::unique_ptr<CvxImage> DecodePalette(TIFF* tiff, const TiffFields& fields, const ColorMap& map,
                                        const std::atomic<bool>& stop) {
  using Channel = typename PixelTraits<P>::Channel;
  const uint64_t lineBytes = uint64_t{fields.width} * sizeof(Index);
  ScanlineReader lines(tiff);
  if (TIFFScanlineSize64(tiff) != lineBytes || !lines.Prepare(lineBytes, fields.width, fields.height)) return nullptr;
  auto image = NewImage<P>(static_cast<int>(fields.width), static_cast<int>(fields.height), true);
  if (!image || stop) return nullptr;
  // Every index value has its entry: the map holds 2^bits entries and Index is bits wide.
  std::vector<Index> indices(fields.width);
  int linesRead = 0;
  for (int y = 0; y < image->m_height; ++y) {
    if (lines.Read(indices.data(), static_cast<uint32_t>(y), 0)) {
      ++linesRead;
      P* row = image->Row(y);
      for (int x = 0; x < image->m_width; ++x) {
        const Index i = indices[static_cast<size_t>(x)];
        row[x] = P(static_cast<Channel>(map.blue[i]), static_cast<Channel>(map.green[i]),
                   static_cast<Channel>(map.red[i]));
      }
    }
    if (stop) return nullptr;
  }
  return linesRead > 0 ? std::move(image) : nullptr;
}

std::unique_ptr<CvxImage> DecodePalettePicture(TIFF* tiff, const TiffFields& fields, const std::atomic<bool>& stop) {
  const std::optional<ColorMap> map = ReadColorMap(tiff, fields);
  if (!map) return nullptr;
  if (fields.bitsPerSample == 8) {
    return map->wide ? DecodePalette<uint8_t, CvxColor16>(tiff, fields, *map, stop)
                     : DecodePalette<uint8_t, CvxColor8>(tiff, fields, *map, stop);
  }
  return map->wide ? DecodePalette<uint16_t, CvxColor16>(tiff, fields, *map, stop)
                   : DecodePalette<uint16_t, CvxColor8>(tiff, fields, *map, stop);
}

std::unique_ptr<CvxImage> DecodeFirstImage(TIFF* tiff, const std::atomic<bool>& stop) {
  const TiffFields fields = ReadFields(tiff);
  if (fields.width == 0 || fields.height == 0 || fields.width > INT32_MAX || fields.height > INT32_MAX) return nullptr;
  const int32_t type = DecodedType(tiff, fields);
  if (type == 0 || !ImageOfTypeFits(type, fields.width, fields.height)) return nullptr;
  if (fields.photometric == PHOTOMETRIC_PALETTE) return DecodePalettePicture(tiff, fields, stop);
  std::unique_ptr<CvxImage> image;
  VisitPixelType(type, [&](auto pixel) { image = DecodeSamples<decltype(pixel)>(tiff, fields, stop); });
  return image;
}

}  // namespace

bool CvxLoaderTIFF::Recognises(std::span<const uint8_t> head) {
  if (head.size() < 2) return false;
  const uint8_t first = head[0];
  return (first == 'I' || first == 'M') && head[1] == first;
}

CvxImageHeader CvxLoaderTIFF::ReadInfo(ByteSource& source) {
  const TiffPtr tiff = OpenTiff(source);
  if (!tiff) return {};
  const TiffFields fields = ReadFields(tiff.get());
  if (fields.photometric > PHOTOMETRIC_PALETTE || fields.width > INT32_MAX || fields.height > INT32_MAX) return {};
  const int32_t type = DecodedType(tiff.get(), fields);
  const bool otherIndexSize = fields.photometric == PHOTOMETRIC_PALETTE && !HasDecodedIndexSize(fields);
  return CvxImageHeader(static_cast<int32_t>(fields.width), static_cast<int32_t>(fields.height),
                        type != 0 || otherIndexSize ? Tiff : 0, type);
}

std::unique_ptr<CvxImage> CvxLoaderTIFF::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  try {
    const TiffPtr tiff = OpenTiff(source);
    if (!tiff) return nullptr;
    std::unique_ptr<CvxImage> image = DecodeFirstImage(tiff.get(), m_stop);
    if (image) image->m_format = Tiff;
    return image;
  } catch (const std::bad_alloc&) {
    return nullptr;  // a scanline buffer that could not be had
  }
}

bool CvxLoaderTIFF::CameraMakerAndModel(ByteSource& source, std::string& maker, std::string& model) {
  const TiffPtr tiff = OpenTiff(source);
  const char* makerTag = nullptr;
  const char* modelTag = nullptr;
  if (!tiff || !TIFFGetField(tiff.get(), TIFFTAG_MAKE, &makerTag) || !TIFFGetField(tiff.get(), TIFFTAG_MODEL, &modelTag) ||
      !makerTag || !modelTag) {
    return false;
  }
  // The library keeps ASCII fields terminated, whatever the file held.
  maker = makerTag;
  model = modelTag;
  for (std::string* text : {&maker, &model}) {
    while (!text->empty() && text->back() == ' ') text->pop_back();
  }
  return true;
}

int CvxLoaderTIFF::ReadOrientation(ByteSource& source) {
  const TiffPtr tiff = OpenTiff(source);
  uint16_t orientation = 0;
  if (!tiff || !TIFFGetField(tiff.get(), TIFFTAG_ORIENTATION, &orientation)) return kOrientationUpright;
  return IsOrientationCode(orientation) ? orientation : kOrientationUpright;
}

}  // namespace glintora
