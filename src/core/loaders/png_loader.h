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
  bool CanLoad(const std::string& path) override;
  // Size and the type the file's own colour type and depth name (grey below 8 bits names
  // none); all zero when the file cannot be opened or its header cannot be read.
  CvxImageHeader GetInfo(const std::string& path) override;
  // The whole picture; null for any libpng error or when the image cannot be allocated.
  // The hints are ignored.
  std::unique_ptr<CvxImage> Load(const std::string& path, int hint1, int hint2) override;
};

}  // namespace glintora
