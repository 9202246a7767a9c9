#pragma once
// GIF, PSD and PNM files made at test time: GIFs with giflib's encoder, PSD and PNM byte by
// byte. Shared by the tests, the fuzz seeds and the benchmark.

#include <cstdint>
#include <string>
#include <vector>

namespace glintora::testing {

struct GifFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool interlaced = false;
  std::vector<uint32_t> palette;  // local colour table, 0xRRGGBB entries; empty: none
  int transparent = -1;           // transparent index in a control block before the frame
  std::vector<uint8_t> indices;   // width × height colour indices, top row first
};

struct GifRecipe {
  int screenWidth = 0;
  int screenHeight = 0;
  std::vector<uint32_t> palette;  // global colour table; empty: none
  int backgroundIndex = 0;
  std::vector<GifFrame> frames;
};

// A "GIF89a" file; empty when giflib refuses the description.
std::vector<uint8_t> EncodeGif(const GifRecipe& recipe);

// The order in which an interlaced frame of `height` rows stores them: rows 0, 8, 16 …,
// then 4, 12 …, then 2, 6 …, then the odd rows.
std::vector<int> InterlacedRowOrder(int height);

struct PsdRecipe {
  int width = 0;
  int height = 0;
  int channels = 3;
  int depth = 8;        // bits per channel
  int mode = 3;         // colour mode: 1 grey, 3 RGB
  int version = 1;
  int compression = 0;  // 0 raw, 1 run-length (each row packed on its own), 2 or 3 zip
  uint32_t sectionBytes[3] = {0, 0, 0};  // sizes of the three skipped sections
  // One plane per channel, width × height samples each, top row first.
  std::vector<std::vector<uint16_t>> planes;
};

// Everything up to and including the compression code: header and the three sections.
std::vector<uint8_t> EncodePsdStart(const PsdRecipe& recipe);
// The whole document. Zip compression writes no data (the loader does not read it).
std::vector<uint8_t> EncodePsd(const PsdRecipe& recipe);
// One row packed into run-length records (runs of 3 or more repeat, others are literal),
// samples of `bytes` bytes, big-endian.
std::vector<uint8_t> PackBitsRow(const uint16_t* samples, int count, int bytes);

// A binary portable map: `header` as given (magic, numbers, comments and the one byte
// before the raster), then the samples, one byte each, or two bytes big-endian when `wide`.
std::vector<uint8_t> PnmFile(const std::string& header, const std::vector<int>& samples, bool wide);

}  // namespace glintora::testing
