// HEIF decoding on libheif, read through the byte source with libheif's reader interface, so
// that it reads the boxes it needs rather than the whole file. libheif's security limits
// (largest picture, most tiles, deepest nesting) stay as they are.

#include "core/loaders/heif_loader.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "core/loaders/compose_alpha.h"
#include "core/loaders/heif_av1_decoder.h"

namespace glintora {
namespace {

ByteSource& SourceOf(void* userdata) { return *static_cast<ByteSource*>(userdata); }

int64_t ReaderPosition(void* userdata) { return SourceOf(userdata).Tell(); }

int ReaderRead(void* data, size_t size, void* userdata) { return SourceOf(userdata).Read(data, size) == size ? 0 : -1; }

int ReaderSeek(int64_t position, void* userdata) { return SourceOf(userdata).Seek(position) ? 0 : -1; }

heif_reader_grow_status ReaderWaitForSize(int64_t size, void* userdata) {
  const int64_t total = SourceOf(userdata).Size();
  return total >= 0 && size <= total ? heif_reader_grow_status_size_reached : heif_reader_grow_status_size_beyond_eof;
}

const heif_reader kReader = {1, &ReaderPosition, &ReaderRead, &ReaderSeek, &ReaderWaitForSize};

// A file's context and its primary image, released together.
class HeifFile {
 public:
  HeifFile() : m_context((UseOwnAv1Decoder(), heif_context_alloc())) {}
  ~HeifFile() {
    if (m_primary) heif_image_handle_release(m_primary);
    if (m_context) heif_context_free(m_context);
  }
  HeifFile(const HeifFile&) = delete;
  HeifFile& operator=(const HeifFile&) = delete;

  // Reads the file's structure from the start of `source` and finds its primary image.
  bool Open(ByteSource& source) {
    if (!m_context || !source.Seek(0)) return false;
    if (heif_context_read_from_reader(m_context, &kReader, &source, nullptr).code != heif_error_Ok) return false;
    return heif_context_get_primary_image_handle(m_context, &m_primary).code == heif_error_Ok && m_primary;
  }
  heif_image_handle* Primary() const { return m_primary; }
  // Width and height as shown; whether it has alpha and more than 8 bits a sample.
  int Width() const { return heif_image_handle_get_width(m_primary); }
  int Height() const { return heif_image_handle_get_height(m_primary); }
  bool HasAlpha() const { return heif_image_handle_has_alpha_channel(m_primary) != 0; }
  bool Deep() const { return heif_image_handle_get_luma_bits_per_pixel(m_primary) > 8; }

 private:
  heif_context* m_context;
  heif_image_handle* m_primary = nullptr;
};

// A decoded picture, released when it goes.
using DecodedImage = std::unique_ptr<heif_image, decltype(&heif_image_release)>;

int32_t TypeOf(bool alpha, bool deep) {
  if (alpha) return deep ? Alpha16 : Alpha8;
  return deep ? Color16 : Color8;
}

// The decoded picture's planes: red, green, blue and, when it has one, alpha, each of
// `bits[plane]` bits a sample, one byte a sample to 8 bits, deeper two in the machine's order.
// libheif always turns the decoded picture into these planes; asking for them rather than
// interleaved samples spares it a further pass and a second picture's worth of memory.
struct Planes {
  const uint8_t* data[4] = {};
  int stride[4] = {};
  int bits[4] = {};
};

// Deeper samples widened to the full 16 bits by repeating their top bits below them (1023
// becomes 65535), so that the top bits are the sample.
inline uint32_t Widen(uint32_t v, int bits) { return ((v << (16 - bits)) | (v >> (2 * bits - 16))) & 0xFFFF; }

// The planes into an image of blue-green-red(-alpha) pixels: an image with alpha keeps it as
// it is, one without has it composed over the background.
template <typename Out>
void Convert(const Planes& planes, bool alpha, const CvxColor8& background, CvxImageT<Out>& image) {
  using Sample = std::remove_reference_t<decltype(Out{}.c[0])>;
  constexpr bool kDeep = sizeof(Sample) == 2;
  constexpr bool kKeepAlpha = std::is_same_v<Out, CvxAlpha8> || std::is_same_v<Out, CvxAlpha16>;
  const int width = image.m_width;
  std::vector<uint16_t> wide(kDeep ? static_cast<size_t>(width) * 4 : 0);
  for (int y = 0; y < image.m_height; ++y) {
    const uint8_t* row[4];
    for (int p = 0; p < (alpha ? 4 : 3); ++p) row[p] = planes.data[p] + static_cast<size_t>(y) * planes.stride[p];
    Out* out = image.Row(y);
    if constexpr (!kDeep) {
      if (!alpha) {
        // The common case, kept to a loop the compiler makes short work of.
        const uint8_t* red = row[0];
        const uint8_t* green = row[1];
        const uint8_t* blue = row[2];
        for (int x = 0; x < width; ++x) {
          out[x].c[0] = blue[x];
          out[x].c[1] = green[x];
          out[x].c[2] = red[x];
        }
        continue;
      }
    }
    // Each plane's row as full-range samples: bytes as they are, deeper ones widened.
    const auto sample = [&](int p, int x) -> uint32_t {
      if constexpr (kDeep) {
        return wide[static_cast<size_t>(x) * 4 + p];
      } else {
        return row[p][x];
      }
    };
    if constexpr (kDeep) {
      for (int p = 0; p < (alpha ? 4 : 3); ++p) {
        const int bits = planes.bits[p];
        for (int x = 0; x < width; ++x) {
          uint16_t v = row[p][x];
          if (bits > 8) std::memcpy(&v, row[p] + static_cast<size_t>(x) * 2, 2);
          wide[static_cast<size_t>(x) * 4 + p] = static_cast<uint16_t>(Widen(v, bits));
        }
      }
    }
    for (int x = 0; x < width; ++x) {
      const uint32_t opacity = alpha ? sample(3, x) : (kDeep ? 65535u : 255u);
      for (int c = 0; c < 3; ++c) {
        const uint32_t value = sample(2 - c, x);
        if (!alpha || kKeepAlpha) {
          out[x].c[c] = static_cast<Sample>(value);
        } else if constexpr (kDeep) {
          out[x].c[c] = ComposeOver16(value, opacity, background.c[c] * 257u);
        } else {
          out[x].c[c] = ComposeOver(value, opacity, background.c[c]);
        }
      }
      if constexpr (kKeepAlpha) out[x].c[3] = static_cast<Sample>(opacity);
    }
  }
}

template <typename Out>
std::unique_ptr<CvxImage> MakeImage(const Planes& planes, int width, int height, bool alpha,
                                    const CvxColor8& background) {
  auto image = NewImage<Out>(width, height, false);
  if (image) Convert(planes, alpha, background, *image);
  return image;
}

}  // namespace

bool CvxLoaderHEIF::Recognises(std::span<const uint8_t> head) {
  if (head.size() < 12) return false;
  const int size = static_cast<int>(std::min<size_t>(head.size(), INT32_MAX));
  switch (heif_check_filetype(head.data(), size)) {
    case heif_filetype_yes_supported: return true;
    case heif_filetype_no: return false;
    default:
      // A general main brand ("mif1", as many phones write) leaves the coding to the
      // compatible brands.
      for (const char* brand : {"heic", "heix", "avif"}) {
        if (heif_has_compatible_brand(head.data(), size, brand) == 1) return true;
      }
      return false;
  }
}

CvxImageHeader CvxLoaderHEIF::ReadInfo(ByteSource& source) {
  HeifFile file;
  if (!file.Open(source) || file.Width() <= 0 || file.Height() <= 0) return {};
  return CvxImageHeader(file.Width(), file.Height(), Heif, TypeOf(file.HasAlpha() && m_keepAlpha, file.Deep()));
}

std::unique_ptr<CvxImage> CvxLoaderHEIF::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  HeifFile file;
  if (m_stop || !file.Open(source)) return nullptr;
  const bool alpha = file.HasAlpha();
  const bool deep = file.Deep();
  if (file.Width() <= 0 || file.Height() <= 0 || !FitsImageLimit(file.Width(), file.Height(), deep ? 8 : 4)) {
    return nullptr;
  }
  heif_image* decoded = nullptr;
  if (heif_decode_image(file.Primary(), &decoded, heif_colorspace_RGB, heif_chroma_444, nullptr).code !=
      heif_error_Ok) {
    return nullptr;
  }
  const DecodedImage image(decoded, &heif_image_release);
  const heif_channel channels[4] = {heif_channel_R, heif_channel_G, heif_channel_B, heif_channel_Alpha};
  const int width = heif_image_get_width(image.get(), heif_channel_R);
  const int height = heif_image_get_height(image.get(), heif_channel_R);
  if (width <= 0 || height <= 0 || m_stop) return nullptr;
  Planes planes;
  for (int p = 0; p < (alpha ? 4 : 3); ++p) {
    planes.data[p] = heif_image_get_plane_readonly(image.get(), channels[p], &planes.stride[p]);
    planes.bits[p] = heif_image_get_bits_per_pixel_range(image.get(), channels[p]);
    const int storage = heif_image_get_bits_per_pixel(image.get(), channels[p]);
    if (!planes.data[p] || heif_image_get_width(image.get(), channels[p]) != width ||
        heif_image_get_height(image.get(), channels[p]) != height || planes.bits[p] < 8 || planes.bits[p] > 16 ||
        storage != (planes.bits[p] > 8 ? 16 : 8) || planes.stride[p] <= 0 ||
        int64_t{planes.stride[p]} < int64_t{width} * storage / 8) {
      return nullptr;
    }
    // The colour planes are as deep as the image claims; an alpha plane may be shallower
    // than deep colour, never deeper than 8-bit colour.
    if ((p < 3 && (planes.bits[p] > 8) != deep) || (!deep && planes.bits[p] > 8)) {
      return nullptr;
    }
  }
  const CvxColor8 background(m_backgroundBlue, m_backgroundGreen, m_backgroundRed);
  if (alpha && m_keepAlpha) {
    return deep ? MakeImage<CvxAlpha16>(planes, width, height, alpha, background)
                : MakeImage<CvxAlpha8>(planes, width, height, alpha, background);
  }
  return deep ? MakeImage<CvxColor16>(planes, width, height, alpha, background)
              : MakeImage<CvxColor8>(planes, width, height, alpha, background);
}

}  // namespace glintora
