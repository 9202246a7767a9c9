#pragma once
// The interface every picture-format loader offers: recognise a file by its first bytes,
// describe it, decode it. A loader reads from a byte source, so the front door opens a file
// once for all of it, and decodes bytes in memory the same way.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/base/byte_source.h"
#include "core/image/image.h"

namespace glintora {

// The bytes the front door reads from the start of every file to recognise its format;
// each loader's signature and fixed headers lie well within them.
inline constexpr size_t kFileHeadSize = 4096;

// How a picture is wanted. Each loader reads what applies to its format; the defaults give
// the whole picture at its stored size.
struct LoadOptions {
  // JPEG: the width the picture is wanted at. Not 0: the decode comes at 1/2, 1/4 or 1/8 of
  // the stored size, whichever is nearest (see CvxLoaderJPEG::ChooseScale).
  int targetWidth = 0;
  // JPEG: exactly 1/scale of the stored size (1, 2, 4 or 8; another value decodes nothing),
  // whatever the target width. 0: the target width decides.
  int scale = 0;
  // JPEG, reduced or scaled decodes: the faster, slightly less exact integer transform.
  bool fastTransform = false;
  // Camera RAW: half the width and height (rounding up; colour filter arrays only).
  bool halfSize = false;
};

class CvxLoader {
 public:
  CvxLoader() = default;
  CvxLoader(const CvxLoader&) = delete;
  CvxLoader& operator=(const CvxLoader&) = delete;
  virtual ~CvxLoader() = default;

  // True when `head`, the first bytes of a file (up to kFileHeadSize; fewer when the file is
  // shorter), is of this loader's format. Never throws.
  virtual bool Recognises(std::span<const uint8_t> head) = 0;
  // Width, height, format and the pixel type a decode would give; all zero when the bytes
  // cannot be read. Reads from the start of the source, wherever its position is.
  virtual CvxImageHeader ReadInfo(ByteSource& source) = 0;
  // Decodes the whole picture from the start of the source; null on any failure or when
  // stopped.
  virtual std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) = 0;
  // The file's orientation tag (1 to 8, see core/image/orientation.h): how its decoded picture
  // must be turned to stand upright. 1 where the format has none or the file's is damaged.
  virtual int ReadOrientation(ByteSource& /*source*/) { return 1; }

  // The same by path, each opening the file once; a file that cannot be opened is not
  // recognised, describes as all zero, decodes to null and stands upright.
  virtual bool CanLoad(const std::string& path);
  CvxImageHeader GetInfo(const std::string& path);
  std::unique_ptr<CvxImage> Load(const std::string& path, const LoadOptions& options = {});
  int Orientation(const std::string& path);

  // Set from any thread to abandon a running decode; cleared before every decode.
  std::atomic<bool> m_stop{false};
  // 0: transparent pixels are composed over the background colour (PNG).
  uint8_t m_keepAlpha = 0;
  uint8_t m_backgroundBlue = 0;
  uint8_t m_backgroundGreen = 0;
  uint8_t m_backgroundRed = 0;
};

}  // namespace glintora
