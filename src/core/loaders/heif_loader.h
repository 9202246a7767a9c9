#pragma once
// The HEIF loader: HEIC (HEVC) and AVIF (AV1) pictures through libheif, the primary image with
// the file's own transformations applied (rotation, mirroring, cropping), a grid of tiles put
// together, transparency composed over the background colour (or kept), and deeper than
// 8-bit pictures as 16-bit images. The Exif orientation such a file also carries describes
// the stored picture before those transformations: it is never applied again.

#include <memory>

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderHEIF final : public CvxLoader {
 public:
  // True for an ISO base media file whose brands name a HEIF still picture libheif decodes.
  bool Recognises(std::span<const uint8_t> head) override;
  // The primary image's size as shown (after its transformations): Color8 or Color16, with
  // alpha kept Alpha8 or Alpha16; all zero when the file cannot be read.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The primary image; null when the file is damaged, its decoder is missing, or the picture
  // lies beyond the image limit or libheif's own limits. The options are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
};

}  // namespace glintora
