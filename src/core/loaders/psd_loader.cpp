// Document layout, all numbers big-endian:
//   header (26 bytes)   "8BPS", version u16 (1), 6 reserved bytes, channels u16, height u32,
//                       width u32, bits per channel u16, colour mode u16 (1 grey, 3 RGB)
//   three sections      colour mode data, image resources, layers and masks: each a u32
//                       length and that many bytes
//   merged picture      compression u16 (0 raw, 1 run-length, 2 and 3 zip); with run-length
//                       a table of u16 row lengths (height × channels entries); then the
//                       channel planes one after another, each height rows of width samples
//                       (u8, or u16 at 16 bits), top row first
// Run-length data is a sequence of records: a header byte n, then n + 1 literal samples
// (n below 128), or one sample repeated 257 - n times (n above 128); 128 is nothing.

#include "core/loaders/psd_loader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/base/byte_source.h"

namespace glintora {
namespace {

constexpr uint8_t kSignature[4] = {'8', 'B', 'P', 'S'};
constexpr uint16_t kModeGrey = 1;
constexpr uint16_t kModeRgb = 3;
constexpr uint16_t kRaw = 0;
constexpr uint16_t kRunLength = 1;
// The longest run a record describes: the least data a run-length plane needs is one
// record of a header and one sample for every this many samples.
constexpr uint64_t kLongestRun = 128;
constexpr size_t kBufferSize = 64 * 1024;

// Thrown when the file ends before the data it describes.
struct ShortRead {};

// The source from its start through a buffer of its own; every read past the end throws
// ShortRead, and skips move the position in 64 bits.
class PsdStream {
 public:
  explicit PsdStream(ByteSource& source) : m_source(source), m_buffer(kBufferSize) {
    if (!source.Seek(0)) throw ShortRead{};
    m_fileLeft = std::max<int64_t>(source.Left(), 0);
    m_filePosition = 0;
  }

  uint8_t Byte() {
    if (m_at == m_end) Fill();
    return *m_at++;
  }
  uint16_t U16() {
    const uint16_t high = Byte();
    return static_cast<uint16_t>(high << 8 | Byte());
  }
  uint32_t U32() {
    const uint32_t high = U16();
    return high << 16 | U16();
  }
  void Read(uint8_t* out, size_t count) {
    while (count > 0) {
      if (m_at == m_end) Fill();
      const size_t n = std::min(count, static_cast<size_t>(m_end - m_at));
      std::memcpy(out, m_at, n);
      m_at += n;
      out += n;
      count -= n;
    }
  }
  void Skip(uint64_t count) {
    const uint64_t buffered = static_cast<uint64_t>(m_end - m_at);
    if (count <= buffered) {
      m_at += count;
      return;
    }
    count -= buffered;
    m_at = m_end;
    if (count > static_cast<uint64_t>(m_fileLeft)) throw ShortRead{};
    m_filePosition += static_cast<int64_t>(count);
    m_fileLeft -= static_cast<int64_t>(count);
    if (!m_source.Seek(m_filePosition)) throw ShortRead{};
  }
  // Bytes from the reading position to the end of the file.
  uint64_t Left() const { return static_cast<uint64_t>(m_end - m_at) + static_cast<uint64_t>(m_fileLeft); }

 private:
  void Fill() {
    if (m_fileLeft <= 0) throw ShortRead{};
    const size_t wanted = static_cast<size_t>(std::min<int64_t>(m_fileLeft, static_cast<int64_t>(m_buffer.size())));
    const size_t got = m_source.Read(m_buffer.data(), wanted);
    if (got == 0) throw ShortRead{};
    m_fileLeft = got < wanted ? 0 : m_fileLeft - static_cast<int64_t>(got);
    m_filePosition += static_cast<int64_t>(got);
    m_at = m_buffer.data();
    m_end = m_at + got;
  }

  ByteSource& m_source;
  std::vector<uint8_t> m_buffer;
  const uint8_t* m_at = nullptr;
  const uint8_t* m_end = nullptr;
  int64_t m_fileLeft = 0;      // bytes of the file after the buffer's end
  int64_t m_filePosition = 0;  // offset of the buffer's end in the file
};

struct PsdHeader {
  bool signature = false;
  uint16_t version = 0;
  uint16_t channels = 0;
  uint32_t height = 0;
  uint32_t width = 0;
  uint16_t depth = 0;
  uint16_t mode = 0;
};

PsdHeader ReadHeader(PsdStream& in) {
  PsdHeader h;
  uint8_t signature[sizeof kSignature];
  in.Read(signature, sizeof signature);
  h.signature = std::memcmp(signature, kSignature, sizeof kSignature) == 0;
  h.version = in.U16();
  in.Skip(6);
  h.channels = in.U16();
  h.height = in.U32();
  h.width = in.U32();
  h.depth = in.U16();
  h.mode = in.U16();
  return h;
}

// A grey or RGB document of version 1 with a channel; its depth is checked apart.
bool IsDescribed(const PsdHeader& h) {
  return h.signature && h.version == 1 && h.channels > 0 && (h.mode == kModeGrey || h.mode == kModeRgb) &&
         h.width <= INT32_MAX && h.height <= INT32_MAX;
}

// The type a decode gives; 0 for depths other than 8 and 16. A grey document stays grey
// whatever extra channels (saved selections, alpha) it carries, which are not read.
int32_t ResultType(const PsdHeader& h) {
  if (!IsDescribed(h) || (h.depth != 8 && h.depth != 16)) return 0;
  const int channels = h.mode == kModeGrey || h.channels < 3 ? 1 : h.channels == 3 ? 3 : 4;
  return ImageTypeFor(channels, h.depth / 8);
}

template <typename Channel>
Channel ReadSample(PsdStream& in) {
  if constexpr (sizeof(Channel) == 1) {
    return in.Byte();
  } else {
    return in.U16();
  }
}

// The image channel a file channel lands in: red, green, blue and alpha of the file go to
// channels 2, 1, 0 and 3 of a colour pixel; grey is channel 0.
template <typename P>
int ChannelOfPlane(int plane) {
  constexpr int kColour[] = {2, 1, 0, 3};
  return PixelTraits<P>::kIsGray ? 0 : kColour[plane];
}

// Raw plane: each row's samples, big-endian, into one channel of the image.
template <typename P>
void ReadRawPlane(PsdStream& in, CvxImageT<P>& image, int channel, std::vector<uint8_t>& row) {
  using Channel = typename PixelTraits<P>::Channel;
  constexpr size_t kBytes = sizeof(Channel);
  for (int y = 0; y < image.m_height; ++y) {
    in.Read(row.data(), row.size());
    P* out = image.Row(y);
    const uint8_t* sample = row.data();
    for (int x = 0; x < image.m_width; ++x, sample += kBytes) {
      if constexpr (kBytes == 1) {
        out[x].c[channel] = sample[0];
      } else {
        out[x].c[channel] = static_cast<Channel>(sample[0] << 8 | sample[1]);
      }
    }
  }
}

// Writes samples into one channel of an image in reading order, running on from the end
// of a row to the start of the next.
template <typename P>
class PlaneWriter {
 public:
  using Channel = typename PixelTraits<P>::Channel;
  PlaneWriter(CvxImageT<P>& image, int channel)
      : m_image(image),
        m_channel(channel),
        m_left(static_cast<uint64_t>(image.m_width) * static_cast<uint64_t>(image.m_height)),
        m_row(image.Row(0)) {}
  uint64_t Left() const { return m_left; }
  void Put(Channel value) {
    m_row[m_x].c[m_channel] = value;
    --m_left;
    if (++m_x == m_image.m_width) {
      m_x = 0;
      if (m_left > 0) m_row = m_image.Row(++m_y);
    }
  }

 private:
  CvxImageT<P>& m_image;
  int m_channel;
  uint64_t m_left;
  P* m_row;
  int m_x = 0;
  int m_y = 0;
};

// Run-length plane. A run that would pass the end of the channel is cut there; the
// literal samples beyond the end are still read, so the next plane starts at the next
// record.
template <typename P>
void ReadRunLengthPlane(PsdStream& in, CvxImageT<P>& image, int channel) {
  using Channel = typename PixelTraits<P>::Channel;
  PlaneWriter<P> out(image, channel);
  while (out.Left() > 0) {
    const int n = in.Byte();
    if (n < 128) {
      for (int i = 0; i <= n; ++i) {
        const Channel value = ReadSample<Channel>(in);
        if (out.Left() > 0) out.Put(value);
      }
    } else if (n > 128) {
      const Channel value = ReadSample<Channel>(in);
      for (uint64_t count = std::min<uint64_t>(257 - n, out.Left()); count > 0; --count) out.Put(value);
    }
  }
}

template <typename P>
std::unique_ptr<CvxImage> DecodePlanes(PsdStream& in, const PsdHeader& h, uint16_t compression) {
  using Traits = PixelTraits<P>;
  const int width = static_cast<int>(h.width);
  const int height = static_cast<int>(h.height);
  // Cleared: zip-compressed data, which is not decoded, leaves the picture black.
  if (compression != kRaw && compression != kRunLength) return NewImage<P>(width, height, true);

  // The data must be there before the pixels are allocated. The size was checked against
  // an image's limit, so none of these products can wrap.
  const uint64_t samples = uint64_t{h.width} * h.height;
  const uint64_t rowTable = compression == kRunLength ? uint64_t{h.height} * h.channels * 2 : 0;
  const uint64_t perPlane = compression == kRaw ? samples * Traits::kBytesPerChannel
                                                : (samples + kLongestRun - 1) / kLongestRun * (1 + Traits::kBytesPerChannel);
  if (in.Left() < rowTable + perPlane * Traits::kChannels) return nullptr;

  auto image = NewImage<P>(width, height, true);
  if (!image) return nullptr;
  in.Skip(rowTable);
  std::vector<uint8_t> row(compression == kRaw ? static_cast<size_t>(width) * Traits::kBytesPerChannel : 0);
  for (int plane = 0; plane < Traits::kChannels; ++plane) {
    if (compression == kRaw) {
      ReadRawPlane(in, *image, ChannelOfPlane<P>(plane), row);
    } else {
      ReadRunLengthPlane(in, *image, ChannelOfPlane<P>(plane));
    }
  }
  return image;
}

std::unique_ptr<CvxImage> DecodeMerged(ByteSource& source) {
  PsdStream in(source);
  const PsdHeader h = ReadHeader(in);
  const int32_t type = ResultType(h);
  if (type == 0 || h.width == 0 || h.height == 0) return nullptr;
  if (!ImageOfTypeFits(type, h.width, h.height)) return nullptr;
  for (int section = 0; section < 3; ++section) in.Skip(in.U32());
  const uint16_t compression = in.U16();
  std::unique_ptr<CvxImage> image;
  VisitPixelType(type, [&](auto pixel) { image = DecodePlanes<decltype(pixel)>(in, h, compression); });
  return image;
}

}  // namespace

bool CvxLoaderPSD::Recognises(std::span<const uint8_t> head) {
  return head.size() >= sizeof kSignature && std::equal(kSignature, kSignature + sizeof kSignature, head.begin());
}

CvxImageHeader CvxLoaderPSD::ReadInfo(ByteSource& source) {
  try {
    PsdStream in(source);
    const PsdHeader h = ReadHeader(in);
    if (!IsDescribed(h)) return {};
    return CvxImageHeader(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), Psd, ResultType(h));
  } catch (const ShortRead&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::unique_ptr<CvxImage> CvxLoaderPSD::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  try {
    std::unique_ptr<CvxImage> image = DecodeMerged(source);
    if (image) image->m_format = Psd;
    return image;
  } catch (const ShortRead&) {
    return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace glintora
