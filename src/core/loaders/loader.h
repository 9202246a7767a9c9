#pragma once
// The interface every picture-format loader offers: recognise, describe, decode.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/image/image.h"

namespace glintora {

class CvxLoader {
 public:
  CvxLoader() = default;
  CvxLoader(const CvxLoader&) = delete;
  CvxLoader& operator=(const CvxLoader&) = delete;
  virtual ~CvxLoader() = default;

  // True when the file's contents are of this loader's format; reads as little as it
  // needs. Never throws; a file that cannot be opened is not recognised.
  virtual bool CanLoad(const std::string& path) = 0;
  // Width, height, format and the pixel type a decode would give; all zero when the file
  // cannot be opened or read.
  virtual CvxImageHeader GetInfo(const std::string& path) = 0;
  // Decodes the whole picture; null on any failure or when stopped. Only the JPEG and RAW
  // loaders read the hints; every caller passes 0 and 0.
  virtual std::unique_ptr<CvxImage> Load(const std::string& path, int hint1, int hint2) = 0;
  // The file's orientation tag (1 to 8, see core/image/orientation.h): how its decoded picture
  // must be turned to stand upright. 1 where the format has none or the file's is damaged.
  virtual int Orientation(const std::string& /*path*/) { return 1; }

  // Set from any thread to abandon a running decode; cleared before every decode.
  std::atomic<bool> m_stop{false};
  // 0: transparent pixels are composed over the background colour (PNG).
  uint8_t m_keepAlpha = 0;
  uint8_t m_backgroundBlue = 0;
  uint8_t m_backgroundGreen = 0;
  uint8_t m_backgroundRed = 0;
};

}  // namespace glintora
