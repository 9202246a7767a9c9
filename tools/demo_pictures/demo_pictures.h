#pragma once
// The demo's picture folder: a handful of drawn pictures of several sizes, shapes and file
// formats, a short movie among them, named so that their order is the show's order, and one
// file no loader can read.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/image/image.h"

namespace glintora::demo {

enum class DemoFormat { Jpeg, GrayJpeg, Png, Tiff, Bmp };

struct DemoPicture {
  std::string name;  // file name, extension included
  DemoFormat format;
  std::unique_ptr<CvxImageColor8> image;  // as it is meant to be seen
  // A JPEG taken with the camera turned: its file holds the picture turned a quarter
  // counter-clockwise and the orientation tag 6 that stands it upright again.
  bool takenTurned = false;
};

// The unreadable file among the pictures.
inline constexpr const char* kBrokenName = "broken.jpg";

// The movie, the show's first item: a colour wheel turning once, with a bright spot circling
// it, uncompressed (what every system's players read).
inline constexpr const char* kMovieName = "00-turning-wheel.avi";
inline constexpr int kMovieWidth = 240;
inline constexpr int kMovieHeight = 180;
inline constexpr int kMovieFramesPerSecond = 10;
inline constexpr int kMovieFrames = 40;
// The second movie, right after the first: the same wheel turning back, 3 s of JPEG frames in
// the ".mov" container, which the movie library's window plays.
inline constexpr const char* kMovMovieName = "00b-wheel-backwards.mov";
inline constexpr int kMovMovieFrames = 30;

// Draws every picture, in show order. The same call always draws the same pixels.
std::vector<DemoPicture> DrawDemoPictures();
// The colour (0xRRGGBB) of pixel (x, y) of the movie's frame `frame`.
uint32_t DemoMoviePixel(int frame, int x, int y);

// Writes the pictures, the two movies and the broken file into `folder`, which must exist. Returns the
// names written, or an empty list when a file could not be written.
std::vector<std::string> WriteDemoPictures(const std::string& folder);

}  // namespace glintora::demo
