#pragma once
// Uncompressed Windows bitmap files: 1, 4, 8, 24 and 32 bits per pixel.

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderBMP final : public CvxLoader {
 public:
  // Both headers present, "BM", one plane, 1, 4, 8, 24 or 32 bits, uncompressed.
  bool Recognises(std::span<const uint8_t> head) override;
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The options are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
};

}  // namespace glintora
