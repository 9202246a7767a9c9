#pragma once
// The PNG loader: decodes with libpng into one of the six image types, blue-green-red, with
// transparency composed over a background colour and palette pictures turned into colour.

#include <memory>
#include <string>

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderPNG final : public CvxLoader {
 public:
  // True when the file starts with the first four bytes of the PNG signature.
  bool Recognises(std::span<const uint8_t> head) override;
  // Size and the type the file's own colour type and depth name (grey below 8 bits names
  // none); all zero when its header cannot be read.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The whole picture; null for any libpng error or when the image cannot be allocated.
  // The options are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
};

}  // namespace glintora
