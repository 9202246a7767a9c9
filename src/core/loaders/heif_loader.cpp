// HEIF decoding on libheif, read through the byte source with libheif's reader interface, so
// that it reads the boxes it needs rather than the whole file. libheif's security limits
// (largest picture, most tiles, deepest nesting) stay as they are.

#include "core/loaders/heif_loader.h"

#include <libheif/heif.h>

#include <type_traits>
#include <vector>

#include "core/base/byte_order.h"
#include "core/loaders/compose_alpha.h"

namespace glintora {
namespace {

ByteSource& SourceOf(void* userdata) { return *static_cast<ByteSource*>(userdata); }

int64_t ReaderPosition(void* userdata) { return SourceOf(userdata).Tell(); }

int ReaderRead(void* data, size_t size, void* userdata) {
  return SourceOf(userdata).Read(data, size) == size ? 0 : -1;
}

int ReaderSeek(int64_t position, void* userdata) { return SourceOf(userdata).Seek(position) ? 0 : -1; }

heif_reader_grow_status ReaderWaitForSize(int64_t size, void* userdata) {
  const int64_t total = SourceOf(userdata).Size();
  return total >= 0 && size <= total ? heif_reader_grow_status_size_reached : heif_reader_grow_status_size_beyond_eof;
}

const heif_reader kReader = {1, &ReaderPosition, &ReaderRead, &ReaderSeek, &ReaderWaitForSize};

// A file's context and its primary image, released together.
class HeifFile {
 public:
  HeifFile() : m_context(heif_context_alloc()) {}
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

// Interleaved red-green-blue(-alpha) rows, 8-bit or 16-bit little-endian samples of `bits`
// bits, into an image of blue-green-red(-alpha) pixels: with `keepAlpha` as they are, else
// alpha composed over the background; deeper samples widened to the full 16 bits by repeating
// their top bits below them (1023 becomes 65535), so that the top bits are the sample.
template <typename Out>
void Convert(const uint8_t* plane, int stride, int bits, bool alpha, bool keepAlpha, const CvxColor8& background,
             CvxImageT<Out>& image) {
  using Sample = std::remove_reference_t<decltype(Out{}.c[0])>;
  constexpr bool kDeep = sizeof(Sample) == 2;
  const int channels = alpha ? 4 : 3;
  const auto widen = [bits](uint32_t v) -> uint32_t {
    return kDeep ? ((v << (16 - bits)) | (v >> (2 * bits - 16))) & 0xFFFF : v;
  };
  for (int y = 0; y < image.m_height; ++y) {
    const uint8_t* row = plane + static_cast<size_t>(y) * stride;
    Out* out = image.Row(y);
    for (int x = 0; x < image.m_width; ++x) {
      uint32_t s[4] = {0, 0, 0, kDeep ? 65535u : 255u};
      for (int c = 0; c < channels; ++c) {
        const size_t at = (static_cast<size_t>(x) * channels + c) * (kDeep ? 2 : 1);
        s[c] = widen(kDeep ? LoadLittleEndian16(row + at) : row[at]);
      }
      if constexpr (std::is_same_v<Out, CvxAlpha8> || std::is_same_v<Out, CvxAlpha16>) {
        for (int c = 0; c < 3; ++c) out[x].c[c] = static_cast<Sample>(s[2 - c]);
        out[x].c[3] = static_cast<Sample>(s[3]);
      } else {
        for (int c = 0; c < 3; ++c) {
          const uint32_t value = s[2 - c];
          if (!alpha || keepAlpha) {
            out[x].c[c] = static_cast<Sample>(value);
          } else if constexpr (kDeep) {
            out[x].c[c] = ComposeOver16(value, s[3], background.c[c] * 257u);
          } else {
            out[x].c[c] = ComposeOver(value, s[3], background.c[c]);
          }
        }
      }
    }
  }
}

template <typename Out>
std::unique_ptr<CvxImage> MakeImage(const uint8_t* plane, int stride, int width, int height, int bits, bool alpha,
                                    bool keepAlpha, const CvxColor8& background) {
  auto image = NewImage<Out>(width, height, false);
  if (image) Convert(plane, stride, bits, alpha, keepAlpha, background, *image);
  return image;
}

}  // namespace

bool CvxLoaderHEIF::Recognises(std::span<const uint8_t> head) {
  return head.size() >= 12 && heif_check_filetype(head.data(), static_cast<int>(head.size())) ==
                                  heif_filetype_yes_supported;
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
  const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                  : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* decoded = nullptr;
  if (heif_decode_image(file.Primary(), &decoded, heif_colorspace_RGB, chroma, nullptr).code != heif_error_Ok) {
    return nullptr;
  }
  const DecodedImage image(decoded, &heif_image_release);
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  const int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
  const int sampleBytes = deep ? 2 : 1;
  if (!plane || width <= 0 || height <= 0 || bits < 8 || bits > 16 || (bits > 8) != deep || stride <= 0 ||
      int64_t{stride} < int64_t{width} * (alpha ? 4 : 3) * sampleBytes || m_stop) {
    return nullptr;
  }
  const bool keepAlpha = alpha && m_keepAlpha;
  const CvxColor8 background(m_backgroundBlue, m_backgroundGreen, m_backgroundRed);
  if (keepAlpha) {
    return deep ? MakeImage<CvxAlpha16>(plane, stride, width, height, bits, alpha, true, background)
                : MakeImage<CvxAlpha8>(plane, stride, width, height, bits, alpha, true, background);
  }
  return deep ? MakeImage<CvxColor16>(plane, stride, width, height, bits, alpha, false, background)
              : MakeImage<CvxColor8>(plane, stride, width, height, bits, alpha, false, background);
}

}  // namespace glintora
