#pragma once
// Uncompressed Windows bitmap files: 1, 4, 8, 24 and 32 bits per pixel.

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderBMP final : public CvxLoader {
 public:
  bool CanLoad(const std::string& path) override;
  CvxImageHeader GetInfo(const std::string& path) override;
  std::unique_ptr<CvxImage> Load(const std::string& path, int hint1, int hint2) override;
};

}  // namespace glintora
