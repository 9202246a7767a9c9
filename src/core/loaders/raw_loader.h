#pragma once
// Camera RAW files. The camera decoder is not part of the program yet: until it is, no
// file is identified as a camera RAW file, and such files go to the other loaders.

#include <string>

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderRAW final : public CvxLoader {
 public:
  // The camera maker and model a RAW file names; false when it is not one.
  bool Identify(const std::string& /*path*/, std::string& /*maker*/, std::string& /*model*/) { return false; }

  bool CanLoad(const std::string& path) override {
    std::string maker, model;
    return Identify(path, maker, model);
  }
  CvxImageHeader GetInfo(const std::string& /*path*/) override { return {}; }
  std::unique_ptr<CvxImage> Load(const std::string& /*path*/, int, int) override { return nullptr; }
};

}  // namespace glintora
