#pragma once
// Writes baseline JPEG files for the picture resources that the program decodes as photos
// (the transitions preview's two pictures), with the build machine's libjpeg.

#include <string>
#include <vector>

#include "bitmap_writer.h"

namespace glintora::artwork {

// Writes a width × height colour picture (`pixels` holds its rows top first) at `quality`
// (1 to 100); false when the file cannot be written or the sizes do not match.
bool WriteJpeg(const std::string& path, int width, int height, const std::vector<Rgb>& pixels, int quality);

}  // namespace glintora::artwork
