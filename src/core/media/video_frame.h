#pragma once
// A decoded movie frame as the movie window paints it: 32-bit blue-green-red-unused pixels,
// rows top-down, and its conversion from the pixel layouts the movie reader hands out.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glintora {

struct VideoFrame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, width × height, top row first
  int64_t time = -1;             // media time (100 ns) of the sample it came from
};

enum class ReaderPixelLayout {
  Rgb32,  // 4 bytes a pixel, blue first
  Nv12,   // a plane of luma, then one of interleaved blue and red differences at half size
};

// Fills `frame` (width × height) from one sample buffer of `layout` whose rows are `stride`
// bytes apart (a negative stride: the rows are stored bottom-up), with the luma plane of
// `planeRows` rows (at least the height; decoders pad it). Colours are converted from the
// video range of BT.601. False, with the frame untouched, when the buffer is too short.
bool ConvertVideoFrame(ReaderPixelLayout layout, const uint8_t* data, size_t size, int width, int height, int stride,
                       int planeRows, VideoFrame& frame);

// `stored` turned clockwise by `degrees` (0, 90, 180 or 270) into `shown`, whose buffer is
// reused; its time is the stored frame's.
void TurnVideoFrame(const VideoFrame& stored, int degrees, VideoFrame& shown);

}  // namespace glintora
