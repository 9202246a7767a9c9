#pragma once
// Binary portable grey maps and pixel maps ("P5", "P6") with 8-bit or 16-bit samples. The
// ASCII forms and bitmaps are not read.

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderPNM final : public CvxLoader {
 public:
  // True when the file starts "P5" or "P6".
  bool Recognises(std::span<const uint8_t> head) override;
  // Width and height as the header gives them, the type a decode gives and format Pnm; all
  // zero when the bytes are not "P5" or "P6", or its header does not hold
  // three numbers with a maximum value from 1 to 65535.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // Gray8 or Color8 for maximum values below 256, Gray16 or Color16 from 256. Samples are
  // kept as stored, not rescaled to the channel's range. Null for a bad header, a raster
  // shorter than the header says, or a picture too large to hold. The options and the stop
  // flag are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
};

}  // namespace glintora
