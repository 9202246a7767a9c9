#pragma once
// JPEG pictures on libjpeg: a fast path that decodes full-size pictures straight into the
// image rows in blue-green-red order, and a general path that also decodes at 1/2, 1/4 or
// 1/8 size and is the fallback whenever the fast path fails.

#include <cstdio>

#include <jpeglib.h>

#include "core/loaders/exif_orientation.h"
#include "core/loaders/loader.h"

namespace glintora {

// The routines of a caller-supplied compressed-data source (libjpeg's source manager),
// and one word of client data stored right after the manager.
struct JpegSourceRoutines {
  decltype(jpeg_source_mgr::init_source) init = nullptr;
  decltype(jpeg_source_mgr::fill_input_buffer) fill = nullptr;
  decltype(jpeg_source_mgr::skip_input_data) skip = nullptr;
  decltype(jpeg_source_mgr::term_source) term = nullptr;
  void* clientData = nullptr;
};

class CvxLoaderJPEG final : public CvxLoader {
 public:
  // True when the bytes start FF D8 FF.
  bool Recognises(std::span<const uint8_t> head) override;
  // The picture's size and the type the general path gives (Gray8 or Color8), from the
  // header alone (the decoder is never started); all zero when the header cannot be read.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // Full size (no target width, no scale): the fast path, falling back to the general path.
  // A target width or a scale asks for a reduced decode on the general path; a scale other
  // than 1, 2, 4 or 8 decodes nothing. `fastTransform` selects the fast integer DCT there.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
  // The general path on compressed data from a caller-supplied source.
  std::unique_ptr<CvxImage> LoadFromSource(const JpegSourceRoutines& source, const LoadOptions& options);
  // The orientation tag of the file's Exif block.
  int ReadOrientation(ByteSource& source) override { return JpegOrientation(source); }

  // The largest reduction (8, 4 or 2; else 1) whose decode, each side rounded up, still
  // covers `shown`.
  static int CoveringScale(ImageSize stored, ImageSize shown);

  // The scale denominator (1, 2, 4 or 8) the general path uses for a target width: the
  // power of two nearest width / target (ties keep the smaller), only when the target is
  // below the width and both dimensions are multiples of 8.
  static int ChooseScale(int width, int height, int targetWidth);
};

}  // namespace glintora
