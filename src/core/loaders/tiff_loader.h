#pragma once
// TIFF pictures through libtiff: the first image of the file, scanline by scanline from its
// strips or band by band from its tiles, as grey, colour or colour-with-alpha of 8 or 16 bits
// per channel, palette pictures included. Bilevel and other bit depths and photometric
// interpretations other than min-is-white, min-is-black, RGB and palette are not decoded.

#include "core/loaders/loader.h"

namespace glintora {

// The largest tile read into memory; real files' tiles are a few hundred pixels square.
inline constexpr uint64_t kMaxTiffTileBytes = uint64_t{64} << 20;

class CvxLoaderTIFF final : public CvxLoader {
 public:
  // "II" or "MM" at the start of the file.
  bool Recognises(std::span<const uint8_t> head) override;
  // Width and height with the pixel type a decode gives and format Tiff. Type 0 and format 0
  // when the picture is not decoded (format Tiff for palette pictures with other index
  // sizes); all zero for an unreadable file or another photometric interpretation.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The first image; null when it is not decoded, cannot be allocated or the stop flag is
  // set. Rows, and tiles, the library cannot read stay black. The options are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
  // The orientation tag of the first image, as the library reads it.
  int ReadOrientation(ByteSource& source) override;
  // The first image's maker and model tags, each without trailing spaces; false when the
  // bytes cannot be read as a TIFF file or lack either tag.
  bool CameraMakerAndModel(ByteSource& source, std::string& maker, std::string& model);
};

}  // namespace glintora
