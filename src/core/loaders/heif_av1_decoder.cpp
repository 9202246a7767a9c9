// The AV1 decoder libheif calls through its plugin interface: the item's bytes in, a heif_image
// of the decoded YCbCr (or grey) planes out, with the colour description of the stream's
// sequence header; libheif then applies the container's own description, converts and
// transforms exactly as it does after its own decoder.

#include "core/loaders/heif_av1_decoder.h"

#include <dav1d/dav1d.h>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "core/image/image.h"

namespace glintora {
namespace {

// Above libheif's built-in AV1 decoders (dav1d at 150, aom at 100).
constexpr int kPriority = 200;

struct Av1Decoder {
  Dav1dContext* context = nullptr;
  std::vector<uint8_t> data;
};

heif_error Failure(heif_error_code code, const char* message) { return {code, heif_suberror_Unspecified, message}; }

const char* PluginName() { return "glintora dav1d"; }

int SupportsFormat(heif_compression_format format) { return format == heif_compression_AV1 ? kPriority : 0; }

heif_error NewDecoder(void** out) {
  auto* decoder = new (std::nothrow) Av1Decoder;
  if (!decoder) return Failure(heif_error_Memory_allocation_error, "no memory for the decoder");
  Dav1dSettings settings;
  dav1d_default_settings(&settings);
  settings.n_threads = 0;        // one a core
  settings.max_frame_delay = 1;  // decoded within the call that asks for it
  settings.all_layers = 0;       // the highest spatial layer only, as libheif's own
  // Nothing larger than the largest picture the image limit lets through (three bytes a pixel).
  settings.frame_size_limit = static_cast<unsigned>(kMaxImageBytes / 3);
  if (dav1d_open(&decoder->context, &settings) != 0) {
    delete decoder;
    return Failure(heif_error_Decoder_plugin_error, "dav1d could not start");
  }
  *out = decoder;
  return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

void FreeDecoder(void* raw) {
  auto* decoder = static_cast<Av1Decoder*>(raw);
  if (!decoder) return;
  dav1d_close(&decoder->context);
  delete decoder;
}

heif_error PushData(void* raw, const void* data, size_t size) {
  auto& bytes = static_cast<Av1Decoder*>(raw)->data;
  try {
    bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  } catch (const std::bad_alloc&) {
    return Failure(heif_error_Memory_allocation_error, "no memory for the item");
  }
  return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// The buffer stays the decoder's: dav1d is told there is nothing to free.
void KeepBuffer(const uint8_t*, void*) {}

// The one picture of the item's temporal unit. dav1d refuses more data while a picture
// waits to be taken, and has the picture once all the data is in; when neither step moves,
// there is none.
bool DecodePicture(Av1Decoder& decoder, Dav1dPicture& picture) {
  Dav1dData data{};
  if (decoder.data.empty() ||
      dav1d_data_wrap(&data, decoder.data.data(), decoder.data.size(), &KeepBuffer, nullptr) != 0) {
    return false;
  }
  for (;;) {
    const size_t before = data.sz;
    if (data.sz > 0) {
      const int sent = dav1d_send_data(decoder.context, &data);
      if (sent < 0 && sent != DAV1D_ERR(EAGAIN)) break;
    }
    const int got = dav1d_get_picture(decoder.context, &picture);
    if (got == 0) {
      if (data.sz > 0) dav1d_data_unref(&data);
      return true;
    }
    if (got != DAV1D_ERR(EAGAIN) || data.sz == 0 || data.sz == before) break;
  }
  if (data.sz > 0) dav1d_data_unref(&data);
  return false;
}

// The sequence header's colour description, for libheif to use where the container has none.
void SetColourDescription(const Dav1dSequenceHeader& header, heif_image* image) {
  heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
  if (!nclx) return;
  // A value libheif does not know leaves its default in place.
  heif_nclx_color_profile_set_color_primaries(nclx, static_cast<uint16_t>(header.pri));
  heif_nclx_color_profile_set_transfer_characteristics(nclx, static_cast<uint16_t>(header.trc));
  heif_nclx_color_profile_set_matrix_coefficients(nclx, static_cast<uint16_t>(header.mtrx));
  nclx->full_range_flag = header.color_range != 0;
  heif_image_set_nclx_color_profile(image, nclx);
  heif_nclx_color_profile_free(nclx);
}

heif_error DecodeImage(void* raw, heif_image** out) {
  auto& decoder = *static_cast<Av1Decoder*>(raw);
  Dav1dPicture picture{};
  if (!DecodePicture(decoder, picture)) return Failure(heif_error_Decoder_plugin_error, "no AV1 picture");
  heif_colorspace colorspace = heif_colorspace_YCbCr;
  heif_chroma chroma;
  switch (picture.p.layout) {
    case DAV1D_PIXEL_LAYOUT_I420: chroma = heif_chroma_420; break;
    case DAV1D_PIXEL_LAYOUT_I422: chroma = heif_chroma_422; break;
    case DAV1D_PIXEL_LAYOUT_I444: chroma = heif_chroma_444; break;
    default:
      chroma = heif_chroma_monochrome;
      colorspace = heif_colorspace_monochrome;
      break;
  }
  heif_image* image = nullptr;
  heif_error error = heif_image_create(picture.p.w, picture.p.h, colorspace, chroma, &image);
  if (error.code == heif_error_Ok) {
    SetColourDescription(*picture.seq_hdr, image);
    const heif_channel channels[3] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    const int planes = chroma == heif_chroma_monochrome ? 1 : 3;
    const int sampleBytes = picture.p.bpc > 8 ? 2 : 1;
    for (int p = 0; p < planes && error.code == heif_error_Ok; ++p) {
      // Chroma planes are half as wide for 4:2:0 and 4:2:2 and half as high for 4:2:0, rounded up.
      const bool across = p > 0 && chroma != heif_chroma_444;
      const bool down = p > 0 && chroma == heif_chroma_420;
      const int width = across ? (picture.p.w + 1) / 2 : picture.p.w;
      const int height = down ? (picture.p.h + 1) / 2 : picture.p.h;
      error = heif_image_add_plane(image, channels[p], width, height, picture.p.bpc);
      if (error.code != heif_error_Ok) break;
      int stride = 0;
      uint8_t* to = heif_image_get_plane(image, channels[p], &stride);
      const auto* from = static_cast<const uint8_t*>(picture.data[p]);
      const ptrdiff_t fromStride = picture.stride[p > 0 ? 1 : 0];
      for (int y = 0; y < height; ++y) {
        std::memcpy(to + static_cast<ptrdiff_t>(y) * stride, from + y * fromStride,
                    static_cast<size_t>(width) * sampleBytes);
      }
    }
  }
  dav1d_picture_unref(&picture);
  if (error.code != heif_error_Ok) {
    if (image) heif_image_release(image);
    return error;
  }
  *out = image;
  return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// libheif's strict mode only concerns how a stream's unknown colour values are reported; they
// are ignored here either way.
void SetStrictDecoding(void*, int) {}

const heif_decoder_plugin kPlugin = {
    3,
    &PluginName,
    nullptr,
    nullptr,
    &SupportsFormat,
    &NewDecoder,
    &FreeDecoder,
    &PushData,
    &DecodeImage,
    &SetStrictDecoding,
    "glintora-dav1d",
};

}  // namespace

void UseOwnAv1Decoder() {
  static const bool registered = heif_register_decoder_plugin(&kPlugin).code == heif_error_Ok;
  (void)registered;
}

}  // namespace glintora
