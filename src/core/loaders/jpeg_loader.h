#pragma once
// JPEG pictures on libjpeg: a fast path that decodes full-size pictures straight into the
// image rows in blue-green-red order, and a general path that also decodes at 1/2, 1/4 or
// 1/8 size and is the fallback whenever the fast path fails.

#include <cstdio>

#include <jpeglib.h>

#include "core/loaders/exif_orientation.h"
#include "core/loaders/loader.h"

namespace glintora {

// The routines of a caller-supplied compressed-data source (libjpeg's source manager),
// and one word of client data stored right after the manager.
struct JpegSourceRoutines {
  decltype(jpeg_source_mgr::init_source) init = nullptr;
  decltype(jpeg_source_mgr::fill_input_buffer) fill = nullptr;
  decltype(jpeg_source_mgr::skip_input_data) skip = nullptr;
  decltype(jpeg_source_mgr::term_source) term = nullptr;
  void* clientData = nullptr;
};

class CvxLoaderJPEG final : public CvxLoader {
 public:
  // True when the file starts FF D8 FF.
  bool CanLoad(const std::string& path) override;
  // The picture's size and the type the general path gives (Gray8 or Color8), from the
  // header alone; all zero when the file cannot be opened or its header not read.
  CvxImageHeader GetInfo(const std::string& path) override;
  // Full size (target width 0): the fast path, falling back to the general path. A
  // non-zero fast transform selects the fast integer DCT; a non-zero target width asks for
  // a reduced decode.
  std::unique_ptr<CvxImage> Load(const std::string& path, int fastTransform, int targetWidth) override;
  // The general path on compressed data from a caller-supplied source.
  std::unique_ptr<CvxImage> LoadFromSource(const JpegSourceRoutines& source, int fastTransform, int targetWidth);
  // The general path on an open file, or on the stored source when `file` is null.
  std::unique_ptr<CvxImage> Decode(std::FILE* file, int fastTransform, int targetWidth);
  // The orientation tag of the file's Exif block.
  int Orientation(const std::string& path) override { return JpegFileOrientation(path); }

  // The general path at 1/`scale` of the stored size (1, 2, 4 or 8; each side rounded up);
  // null for another scale.
  std::unique_ptr<CvxImage> LoadScaled(const std::string& path, int scale);
  // The picture's size from its header; 0 × 0 when the header cannot be read.
  ImageSize StoredSize(const std::string& path);
  // The largest reduction (8, 4 or 2; else 1) whose decode, each side rounded up, still
  // covers `shown`.
  static int CoveringScale(ImageSize stored, ImageSize shown);

  // The scale denominator (1, 2, 4 or 8) the general path uses for a target width: the
  // power of two nearest width / target (ties keep the smaller), only when the target is
  // below the width and both dimensions are multiples of 8.
  static int ChooseScale(int width, int height, int targetWidth);

 private:
  JpegSourceRoutines m_source;  // set only during LoadFromSource
};

}  // namespace glintora
