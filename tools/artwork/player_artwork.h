#pragma once
// The movie player's control-bar pictures (bitmaps 30000 to 30009): the seek bar's channel
// and thumb, the play, pause and sound buttons, and the two edges beside the seek bar. All
// 16 pixels high, drawn on the bar's dark grey; the thumbs and buttons leave their
// background in the transparent colour (red 255, green 0, blue 128), which no drawn pixel
// has, so that they show whatever lies under them.

#include <string>
#include <vector>

#include "bitmap_writer.h"

namespace glintora::artwork {

inline constexpr Rgb kPlayerTransparent{255, 0, 128};
inline constexpr Rgb kPlayerBarColour{40, 40, 44};

struct PlayerPicture {
  int id;            // the bitmap's resource number
  const char* file;  // the file written for it
  int width;
  int height;
  std::vector<Rgb> pixels;  // width × height, top row first
};

// Every control-bar picture, in resource order.
std::vector<PlayerPicture> DrawPlayerPictures();

}  // namespace glintora::artwork
