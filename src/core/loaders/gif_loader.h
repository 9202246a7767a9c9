#pragma once
// GIF pictures through giflib: the first frame only, as a Color8 image composed over the
// loader's background colour wherever the frame is transparent or leaves the logical
// screen uncovered.

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderGIF final : public CvxLoader {
 public:
  // True when the file starts "GIF87a" or "GIF89a".
  bool Recognises(std::span<const uint8_t> head) override;
  // The logical screen's size, Color8 and format Gif. A screen declared 1 × 1, or with a
  // side of 0, says nothing about the picture: the file is decoded and the picture's own
  // size reported. All zero when the bytes are not a GIF, or are such a file that cannot be
  // decoded.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The first frame at its offset on the logical screen, which grows to hold a frame that
  // reaches beyond it. Null when there is no frame, its data is damaged or cut short, or
  // the image cannot be allocated. The options and the stop flag are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
};

}  // namespace glintora
