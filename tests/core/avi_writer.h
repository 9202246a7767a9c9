#pragma once
// Uncompressed AVI movies made at test time: one video stream of 32-bit frames ('DIB '),
// every frame a key frame, with an index. Video only unless asked: with the machine's sound
// drivers off an audio stream makes the system's players refuse the file, so sound is for
// the AVI file functions alone.
//
// File layout, all numbers little-endian:
//   RIFF 'AVI '
//     LIST 'hdrl'
//       'avih'  microseconds per frame, maximum bytes per second, padding 0, flags
//               (has index), frames, initial frames 0, streams 1, buffer size, width,
//               height, reserved × 4
//       LIST 'strl'
//         'strh'  'vids', 'DIB ', flags 0, priority and language 0, initial frames 0,
//                 scale 1, rate = frames per second, start 0, length = frames, buffer size,
//                 quality -1, sample size = frame bytes, frame rectangle (16-bit × 4)
//         'strf'  BITMAPINFOHEADER: 40, width, height (rows bottom-up), 1 plane, 32 bits,
//                 no compression, image bytes, 0 × 4
//       LIST 'strl'   with sound: 'strh' as above for 'auds', handler 0, rate = samples a
//                     second, sample size 2; 'strf' WAVEFORMATEX of 16-bit mono PCM
//     LIST 'movi'   one '00db' chunk per frame: rows bottom first, blue, green, red, 0; then
//                   one '01wb' chunk of all the sound
//     'idx1'        per chunk: its code, key frame flag, offset from 'movi', bytes

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace glintora::testing {

struct AviRecipe {
  int width = 64;
  int height = 48;
  int framesPerSecond = 10;
  int frames = 20;
  // The colour (0xRRGGBB) of pixel (x, y), top row 0, in frame `frame`; black when unset.
  std::function<uint32_t(int frame, int x, int y)> pixel;
  // Above 0: sound as long as the video, of this many samples a second (a multiple of the
  // frame rate); timeless: its format claims 0 a second, so that no time converts to samples.
  int soundRate = 0;
  bool soundTimeless = false;
};

std::vector<uint8_t> EncodeAvi(const AviRecipe& recipe);
// A movie of one colour throughout.
AviRecipe SolidAvi(int width, int height, int framesPerSecond, int frames, uint32_t rgb);

}  // namespace glintora::testing
