#pragma once
// Camera RAW files: the loader drives the camera RAW decoder (DCRaw) through its steps,
// polling the stop flag and the caller's progress routine between them and after every
// output row, and turns the finished picture into a Color8 or Color16 image. Pictures of
// a diagonal sensor (".raf" files whose picture is nearly square) are turned upright.

#include <cstdint>
#include <memory>
#include <string>

#include "core/loaders/loader.h"
#include "core/loaders/raw/raw_decoder.h"

namespace glintora {

// Called at each step of a RAW decode with the block's context; false abandons the decode.
using CvxRawProgress = bool (*)(void* context);

// The process-wide white-balance mode the parameter defaults follow: 1 automatic white
// balance, 2 the white balance the camera recorded.
inline constexpr int kRawWhiteBalanceMode = 2;

// The RAW loader's parameters, ten words.
struct CvxRawParams {
  CvxRawParams() { SetDefaults(); }
  void SetDefaults();

  int32_t m_outputDepth;        // 0: Color8, 1: Color16; any other value gives no image
  float m_brightness;           // scales the 8-bit curve; 1 maps the picture's white to 255
  int32_t m_interpolation;      // decoder: 0 bilinear, 1 VNG, 2 PPG, 3 AHD
  int32_t m_highlights;         // decoder: 0 clip, 1 unclip, 2 blend, 3 to 9 rebuild
  int32_t m_medianPasses;       // decoder: median filter passes on colour differences
  int32_t m_unused;
  int32_t m_autoWhiteBalance;   // flag
  int32_t m_cameraWhiteBalance; // flag
  CvxRawProgress m_progress;    // may be null
  void* m_progressContext;      // handed to m_progress
};

class CvxLoaderRAW final : public CvxLoader, public CvxRawParams, public DCRaw {
 public:
  // The parameters are copied from `params`; null gives the defaults.
  explicit CvxLoaderRAW(const CvxRawParams* params = nullptr);

  // Camera RAW files are not told by their first bytes: the decoder knows many layouts,
  // and only identification tells (CanLoad, Identify). Any bytes may be one.
  bool Recognises(std::span<const uint8_t> head) override { return !head.empty(); }
  // True when the decoder identifies a raw file it can decode. Never throws.
  bool CanLoad(const std::string& path) override;
  // The full-size output dimensions, format Raw and type Color16 when the output depth is
  // set, Color8 otherwise; all zero for bytes the decoder does not identify.
  CvxImageHeader ReadInfo(ByteSource& source) override;
  // `halfSize` asks for half the dimensions (rounding up; colour filter arrays only); the
  // other options are not used. Null when the bytes are not identified or not decoded, when
  // stopped or abandoned by the progress routine, and for an output depth other than 0 or 1
  // (which also restores the default parameters). The source's name tells a diagonal
  // sensor's files (see IsDiagonalLayout).
  std::unique_ptr<CvxImage> Decode(ByteSource& source, const LoadOptions& options) override;

  // Identification alone: the camera's maker and model; false when the bytes are no raw
  // file the decoder can decode.
  bool Identify(ByteSource& source, std::string& maker, std::string& model);
  bool Identify(const std::string& path, std::string& maker, std::string& model);

 private:
  bool KeepGoing();
  std::unique_ptr<CvxImage> DecodeIdentified(ByteSource& source, bool halfSize);
  template <typename P>
  std::unique_ptr<CvxImage> FillImage();
};

// True for a picture decoded from a diagonal sensor: a ".raf" file (any case) whose picture's
// width and height differ by less than 2.
bool IsDiagonalLayout(const std::string& path, int width, int height);

// The upright form of a Color8 or Color16 picture in a diagonal sensor's layout. The
// picture comes back unchanged when its top row shows no diagonal (no picture between the
// black corners) and for other pixel types; null when the upright picture cannot be
// allocated.
std::unique_ptr<CvxImage> FujiUpright(std::unique_ptr<CvxImage> picture);

}  // namespace glintora
