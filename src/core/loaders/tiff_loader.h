#pragma once
// TIFF pictures through libtiff: the first image of the file, scanline by scanline, as grey,
// colour or colour-with-alpha of 8 or 16 bits per channel, palette pictures included.
// Bilevel and other bit depths, tiled files and photometric interpretations other than
// min-is-white, min-is-black, RGB and palette are not decoded.

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderTIFF final : public CvxLoader {
 public:
  // "II" or "MM" at the start of the file.
  bool CanLoad(const std::string& path) override;
  // Width and height with the pixel type a decode gives and format Tiff. Type 0 and format 0
  // when the picture is not decoded (format Tiff for palette pictures with other index
  // sizes); all zero for an unreadable file or another photometric interpretation.
  CvxImageHeader GetInfo(const std::string& path) override;
  // The first image; null when it is not decoded, cannot be allocated or the stop flag is
  // set. Rows the library cannot read stay black. The hints are not used.
  std::unique_ptr<CvxImage> Load(const std::string& path, int hint1, int hint2) override;
  // The orientation tag of the first image, as the library reads it.
  int Orientation(const std::string& path) override;
  // The first image's maker and model tags, each without trailing spaces; false when the
  // file cannot be read as a TIFF file or lacks either tag.
  bool CameraMakerAndModel(const std::string& path, std::string& maker, std::string& model);
};

}  // namespace glintora
