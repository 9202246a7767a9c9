#pragma once
// Uncompressed AVI movies made at test time: one video stream of 32-bit frames ('DIB '),
// every frame a key frame, with an index; optionally a second stream of 16-bit PCM sound,
// its chunks interleaved with the frames. (On the test bench, whose sound devices are off,
// the system's players still play the video of a file with sound.)
//
// File layout, all numbers little-endian; the parts marked [sound] only with a sound track,
// without one the file is exactly the video-only layout:
//   RIFF 'AVI '
//     LIST 'hdrl'
//       'avih'  microseconds per frame, maximum bytes per second (frame bytes × frames per
//               second [+ sound bytes per second]), padding 0, flags (has index
//               [, interleaved]), frames, initial frames 0, streams 1 [2], buffer size (the
//               largest chunk: a frame [or a frame's sound]), width, height, reserved × 4
//       LIST 'strl'
//         'strh'  'vids', 'DIB ', flags 0, priority and language 0, initial frames 0,
//                 scale 1, rate = frames per second, start 0, length = frames, buffer size,
//                 quality -1, sample size = frame bytes, frame rectangle (16-bit × 4)
//         'strf'  BITMAPINFOHEADER: 40, width, height (rows bottom-up), 1 plane, 32 bits,
//                 no compression, image bytes, 0 × 4
//       [LIST 'strl'
//         'strh'  'auds', handler 0, flags 0, priority and language 0, initial frames 0,
//                 scale = block bytes (channels × 2), rate = bytes per second (so rate ÷
//                 scale = samples per second), start 0, length = sample blocks in all,
//                 buffer size = the largest sound chunk, quality -1, sample size = block
//                 bytes, frame rectangle 0 × 4
//         'strf'  WAVEFORMATEX (18 bytes): format 1 (PCM), channels, samples per second,
//                 bytes per second, block bytes, 16 bits, extra size 0]
//     LIST 'movi'   per frame: a '00db' chunk, rows bottom first, blue, green, red, 0;
//                   [then a '01wb' chunk with the sound of that frame's time, blocks of
//                   one 16-bit sample per channel; none where that time holds no sample]
//     'idx1'        per chunk in file order: its code, key frame flag, offset from 'movi',
//                   bytes

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace glintora::testing {

// A sound track of 16-bit PCM as long as the video (frames ÷ frames per second).
struct AviSound {
  int samplesPerSecond = 0;  // 0: no sound track
  int channels = 1;
  int toneHz = 0;  // a sine of this pitch at half the full scale, every channel alike; 0: silence
  // The stream header's and the format's rates claim 0 a second: no time converts to samples.
  bool claimsNoRate = false;
};

struct AviRecipe {
  int width = 64;
  int height = 48;
  int framesPerSecond = 10;
  int frames = 20;
  // The colour (0xRRGGBB) of pixel (x, y), top row 0, in frame `frame`; black when unset.
  std::function<uint32_t(int frame, int x, int y)> pixel;
  AviSound sound;
};

std::vector<uint8_t> EncodeAvi(const AviRecipe& recipe);
// A movie of one colour throughout.
AviRecipe SolidAvi(int width, int height, int framesPerSecond, int frames, uint32_t rgb);

}  // namespace glintora::testing
