#pragma once
// Baseline JPEG encoding (4:2:0) with libjpeg, into memory: the frames of the program's own
// movies and the build-time pictures share it.

#include <cstdint>
#include <functional>
#include <vector>

namespace glintora {

// Fills `row` with row `y` (top first) as width × 3 bytes of red, green, blue.
using JpegRowSource = std::function<void(int y, uint8_t* row)>;

// A width × height picture at `quality` (1 to 100) as JPEG data; nothing when it cannot be
// encoded.
std::vector<uint8_t> EncodeJpeg(int width, int height, const JpegRowSource& rows, int quality);

}  // namespace glintora
