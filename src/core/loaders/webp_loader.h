#pragma once
// The WebP loader: lossy and lossless pictures through libwebp, transparency composed over the
// background colour (or kept), an animation's first frame as it stands on its canvas, and the
// Exif orientation of the file's EXIF chunk.

#include <memory>

#include "core/loaders/loader.h"

namespace glintora {

// The most bytes of a WebP file read into memory to decode it: libwebp decodes from one
// block, and no real picture comes near this.
inline constexpr int64_t kMaxWebPFileBytes = int64_t{256} << 20;

class CvxLoaderWebP final : public CvxLoader {
 public:
  // True for a RIFF container of form "WEBP".
  bool Recognises(std::span<const uint8_t> head) override;
  // Size from the bitstream's header (the canvas for an animation): Color8, or Alpha8 with
  // the alpha kept and present; all zero when the header cannot be read.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The whole picture, or with `options.targetWidth` below the stored width, scaled by
  // libwebp's decoder to that width as it decodes. Null for damaged data, a picture beyond
  // the image limit or a file beyond kMaxWebPFileBytes.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
  // The orientation tag of the EXIF chunk; 1 without one.
  int ReadOrientation(ByteSource& source) override;
};

}  // namespace glintora
