#pragma once
// The camera RAW decoder: identifies a camera's raw sensor file, unpacks the sensor data,
// white-balances, demosaics and converts it to RGB, on LibRaw. The RAW loader drives it in
// this order:
//   1. IdentifyFile        maker, model, sizes, colour filter array, data position
//   2. SetParameters       brightness, white balance, interpolation; SetHalfSize
//   3. LoadRawData         the sensor samples into the working image
//   4. Process             colour scaling, interpolation, finishing, conversion to RGB
//   5. OutputWidth/Height, OutputRow and Curve8: the finished picture
// Every working buffer lives in this object, so separate decoders share nothing.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class LibRaw;

namespace glintora {

class ByteSource;
class DCRawStream;

class DCRaw {
 public:
  // Largest working image the decoder takes on, in bytes: four 16-bit samples a pixel at the
  // full output size. A file that asks for more is not decoded.
  static constexpr int64_t kMaxWorkingBytes = INT32_MAX;

  DCRaw();
  ~DCRaw();
  DCRaw(const DCRaw&) = delete;
  DCRaw& operator=(const DCRaw&) = delete;

  // How many times, in this process, the library has been handed a file to identify: the
  // front door keeps files away from it that a safer parser has not recognised.
  static int64_t FilesHandedToLibrary();
  // The library's own version text ("0.21.4-Release").
  static const char* LibraryVersion();

  // --- 1. Identification ---
  // Opens the file and identifies it; true for a raw file this decoder can decode. The file
  // stays open for the steps below until CloseFile or the next identification.
  bool IdentifyFile(const std::string& path);
  // The same on bytes the caller has open (a file stream or memory), read from their start;
  // the source must stay open for the steps below, until CloseFile or the next
  // identification.
  bool IdentifySource(ByteSource& source);
  void CloseFile();
  bool IsFileOpen() const { return m_open; }

  // What identification found; empty or zero when no file is identified.
  const std::string& Maker() const { return m_maker; }
  const std::string& Model() const { return m_model; }
  int RawWidth() const;
  int RawHeight() const;
  bool HasColorFilter() const;
  int Colors() const;
  int64_t DataOffset() const;
  // The finished picture's size at full resolution, pixel-aspect stretching and the
  // camera's orientation included.
  int FullOutputWidth() const { return m_fullWidth; }
  int FullOutputHeight() const { return m_fullHeight; }

  // --- 2. Parameters ---
  // `brightness` scales the 8-bit curve (1: the picture's own white point is white); a value
  // that is not a positive number counts as 1. Automatic white balance wins over the
  // camera's. `quality` chooses the interpolation (0 bilinear, 1 VNG, 2 PPG, 3 AHD; others
  // count as 0), `highlights` the treatment of clipped highlights (0 clip, 1 unclip, 2
  // blend, 3 to 9 rebuild; others count as 0) and `medianPasses` the passes of the median
  // filter on colour differences (0 to 10; others count as 0).
  void SetParameters(float brightness, bool autoWhiteBalance, bool cameraWhiteBalance, int quality, int highlights,
                     int medianPasses);
  // Halves both output dimensions (rounding up); honoured only with a colour filter array.
  void SetHalfSize(bool half);
  // Asked between the decoder's internal stages while it works; true abandons the decode.
  void SetAbandonCheck(std::function<bool()> abandon) { m_abandon = std::move(abandon); }

  // --- 3. Raw data ---
  // False when the file is not open, the working image would be too large, or the data
  // cannot be read.
  bool LoadRawData();

  // --- 4. Processing ---
  // White balance, interpolation and finishing, then the conversion to output RGB and any
  // pixel-aspect stretching. `processed` is asked between the finishing steps and the RGB
  // conversion; false abandons. False when abandoned or the processing fails.
  bool Process(const std::function<bool()>& processed);

  // --- 5. Output (after Process) ---
  int OutputWidth() const { return m_outWidth; }
  int OutputHeight() const { return m_outHeight; }
  // Row y of the finished picture, top row first and upright: OutputWidth() red, green,
  // blue triples of linear 16-bit values.
  void OutputRow(int y, uint16_t* rgb) const;
  // Maps a 16-bit output value to 8 bits: the picture's white point (the level 99 % of its
  // samples stay below) times the brightness becomes 255, through the BT.709 transfer curve.
  // All zero before a successful Process.
  const std::array<uint8_t, 65536>& Curve8() const;

 private:
  static int OnStage(void* self, int stage, int iteration, int expected);
  bool IdentifyOpen(ByteSource& source);
  bool OpenAndIdentify(ByteSource& source, bool diagonalLayout);
  void ComputeFullSize();
  void BuildCurve();
  int WhitePoint() const;

  std::unique_ptr<LibRaw> m_raw;
  // What the library reads from: the file IdentifyFile opened, and the reader on an open
  // stream, both for as long as the library may read.
  std::unique_ptr<ByteSource> m_ownedSource;
  std::unique_ptr<DCRawStream> m_stream;
  bool m_open = false;
  std::string m_maker;
  std::string m_model;
  int m_fullWidth = 0;
  int m_fullHeight = 0;
  float m_curveBrightness = 1.0f;
  bool m_halfSize = false;
  std::function<bool()> m_abandon;
  const std::function<bool()>* m_processed = nullptr;  // during Process only
  bool m_processedAsked = false;
  // The finished picture: the processed buffer's own width and height, its orientation
  // code, and the upright size.
  int m_bufferWidth = 0;
  int m_bufferHeight = 0;
  int m_flip = 0;
  int m_outWidth = 0;
  int m_outHeight = 0;
  std::unique_ptr<std::array<uint8_t, 65536>> m_curve;
};

}  // namespace glintora
