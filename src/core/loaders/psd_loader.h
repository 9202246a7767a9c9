#pragma once
// The merged picture that layered image-editor documents (PSD) store after their layers:
// grey or RGB, 8 or 16 bits per channel, raw or run-length compressed. Layers, masks and
// resources are skipped.

#include "core/loaders/loader.h"

namespace glintora {

class CvxLoaderPSD final : public CvxLoader {
 public:
  // True when the file starts "8BPS".
  bool Recognises(std::span<const uint8_t> head) override;
  // For a grey or RGB document of version 1 with at least one channel: width, height,
  // format Psd and, at 8 or 16 bits, the type a decode gives (type 0 at other depths). All
  // zero for any other file, one shorter than its header included, or a side beyond the
  // range of an image's.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // The merged picture: Gray for grey documents and for one or two channels, Color for
  // three, Alpha (the fourth channel) for four or more. Zip-compressed data gives a black
  // picture of the right size. Null for other modes and depths, a truncated file, or a
  // picture too large to hold. The options and the stop flag are not used.
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;
};

}  // namespace glintora
