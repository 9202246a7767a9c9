// WebP decoding on libwebp: the still decoder for single pictures (scaled as it decodes when
// asked) and the animation decoder for an animation's first frame on its canvas; the EXIF
// chunk is found by walking the container's chunk headers.

#include "core/loaders/webp_loader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/base/byte_order.h"
#include "core/loaders/compose_alpha.h"
#include "core/loaders/exif_orientation.h"

namespace glintora {
namespace {

// The most of an EXIF chunk read for its orientation: its first directory comes first, and a
// JPEG's whole Exif block is at most this.
constexpr int64_t kMaxExifBytes = 65535;

// The file's bytes as one block: a memory source's own, else read from the file. False for
// an empty file, one beyond kMaxWebPFileBytes or a short read.
struct WholeFile {
  std::vector<uint8_t> storage;
  const uint8_t* data = nullptr;
  size_t size = 0;

  bool Read(ByteSource& source) {
    const int64_t total = source.Size();
    if (total <= 0 || total > kMaxWebPFileBytes) return false;
    size = static_cast<size_t>(total);
    if ((data = source.Data()) != nullptr) return true;
    storage.resize(size);
    if (!source.Seek(0) || source.Read(storage.data(), size) != size) return false;
    data = storage.data();
    return true;
  }
};

// One decoded frame: rows of `channels` bytes a pixel, blue-green-red(-alpha).
struct DecodedRows {
  const uint8_t* bytes = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  int channels = 0;
};

// The frame as an image: colour as it is, or with alpha kept or composed over `background`.
std::unique_ptr<CvxImage> ToImage(const DecodedRows& rows, bool keepAlpha, const CvxColor8& background) {
  if (rows.channels == 4 && keepAlpha) {
    auto image = NewImage<CvxAlpha8>(rows.width, rows.height, false);
    if (!image) return nullptr;
    for (int y = 0; y < rows.height; ++y) {
      std::memcpy(image->Row(y), rows.bytes + static_cast<size_t>(y) * rows.stride, static_cast<size_t>(rows.width) * 4);
    }
    return image;
  }
  auto image = NewImage<CvxColor8>(rows.width, rows.height, false);
  if (!image) return nullptr;
  for (int y = 0; y < rows.height; ++y) {
    const uint8_t* in = rows.bytes + static_cast<size_t>(y) * rows.stride;
    CvxColor8* out = image->Row(y);
    for (int x = 0; x < rows.width; ++x, in += rows.channels) {
      if (rows.channels == 3) {
        out[x] = CvxColor8(in[0], in[1], in[2]);
      } else {
        out[x] = CvxColor8(ComposeOver(in[0], in[3], background.c[0]), ComposeOver(in[1], in[3], background.c[1]),
                           ComposeOver(in[2], in[3], background.c[2]));
      }
    }
  }
  return image;
}

// The first frame of an animation, drawn on its canvas as a player shows it first.
std::unique_ptr<CvxImage> DecodeFirstFrame(const WholeFile& file, bool keepAlpha, const CvxColor8& background) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return nullptr;
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  const WebPData data{file.data, file.size};
  std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(WebPAnimDecoderNew(&data, &options),
                                                                             &WebPAnimDecoderDelete);
  WebPAnimInfo info;
  if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return nullptr;
  if (info.canvas_width == 0 || info.canvas_height == 0 || !FitsImageLimit(info.canvas_width, info.canvas_height, 4)) {
    return nullptr;
  }
  uint8_t* canvas = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas) return nullptr;
  const DecodedRows rows{canvas, static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height),
                         static_cast<int>(info.canvas_width) * 4, 4};
  return ToImage(rows, keepAlpha, background);
}

}  // namespace

bool CvxLoaderWebP::Recognises(std::span<const uint8_t> head) {
  return head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 && std::memcmp(head.data() + 8, "WEBP", 4) == 0;
}

CvxImageHeader CvxLoaderWebP::ReadInfo(ByteSource& source) {
  const std::vector<uint8_t> head = ReadHead(source, kFileHeadSize);
  WebPBitstreamFeatures features;
  if (!Recognises(head) || WebPGetFeatures(head.data(), head.size(), &features) != VP8_STATUS_OK) return {};
  if (features.width <= 0 || features.height <= 0) return {};
  const int32_t type = features.has_alpha && m_keepAlpha ? Alpha8 : Color8;
  return CvxImageHeader(features.width, features.height, WebP, type);
}

std::unique_ptr<CvxImage> CvxLoaderWebP::Decode(ByteSource& source, const LoadOptions& options) {
  WholeFile file;
  if (m_stop || !file.Read(source)) return nullptr;
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config) || WebPGetFeatures(file.data, file.size, &config.input) != VP8_STATUS_OK) {
    return nullptr;
  }
  const int width = config.input.width;
  const int height = config.input.height;
  if (width <= 0 || height <= 0 || !FitsImageLimit(width, height, 4)) return nullptr;
  const CvxColor8 background(m_backgroundBlue, m_backgroundGreen, m_backgroundRed);
  if (config.input.has_animation) return DecodeFirstFrame(file, m_keepAlpha != 0, background);

  const bool alpha = config.input.has_alpha != 0;
  config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
  if (options.targetWidth > 0 && options.targetWidth < width) {
    // The same shape, rounded, never below one pixel.
    config.options.use_scaling = 1;
    config.options.scaled_width = options.targetWidth;
    config.options.scaled_height =
        std::max(1, static_cast<int>((int64_t{height} * options.targetWidth + width / 2) / width));
  }
  // Freed on every way out, a failed decode's part included.
  const std::unique_ptr<WebPDecBuffer, decltype(&WebPFreeDecBuffer)> output(&config.output, &WebPFreeDecBuffer);
  if (WebPDecode(file.data, file.size, &config) != VP8_STATUS_OK) return nullptr;
  const WebPRGBABuffer& rgba = config.output.u.RGBA;
  const DecodedRows rows{rgba.rgba, config.output.width, config.output.height, rgba.stride, alpha ? 4 : 3};
  if (m_stop) return nullptr;
  return ToImage(rows, m_keepAlpha != 0, background);
}

int CvxLoaderWebP::ReadOrientation(ByteSource& source) {
  // The chunks after the 12-byte RIFF header, each an 8-byte header (tag, little-endian size)
  // and its data padded to an even length, walked by their headers alone: the picture's data
  // is never read for its orientation.
  const int64_t total = source.Size();
  uint8_t header[8];
  for (int64_t at = 12; total > 0 && at + 8 <= total;) {
    if (!source.Seek(at) || source.Read(header, 8) != 8) return 1;
    const uint32_t size = LoadLittleEndian32(header + 4);
    if (std::memcmp(header, "EXIF", 4) == 0) {
      // Its first directory lies at its start; more than the bytes there are is not read.
      std::vector<uint8_t> exif(static_cast<size_t>(std::min<int64_t>({size, total - at - 8, kMaxExifBytes})));
      if (source.Read(exif.data(), exif.size()) != exif.size()) return 1;
      const uint8_t* bytes = exif.data();
      size_t length = exif.size();
      // Some writers keep the JPEG form's "Exif\0\0" before the TIFF structure.
      if (length >= 6 && std::memcmp(bytes, "Exif\0\0", 6) == 0) {
        bytes += 6;
        length -= 6;
      }
      return TiffStructureOrientation(bytes, length);
    }
    at += 8 + int64_t{size} + (size & 1);
  }
  return 1;
}

}  // namespace glintora
