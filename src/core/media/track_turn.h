#pragma once
// How far a movie's pictures are turned to stand upright. Phones record a portrait video with
// the camera's sensor on its side and store the frames as the sensor saw them, with a matrix
// in the video track's header that turns them for showing.

#include <cstdint>

#include "core/media/movie_atoms.h"

namespace glintora {

// The nine entries of a track header's matrix in file order: a, b, u, c, d, v, x, y, w, all
// 32-bit big-endian fixed point (a, b, c, d, x, y: 16.16; u, v, w: 2.30). A point (p, q) shows
// at (a·p + c·q + x, b·p + d·q + y), with q growing downwards.
using TrackMatrix = int32_t[9];

// The clockwise turn, in degrees, that the matrix makes: 90, 180 or 270 for an exact quarter
// or half turn (u = v = 0 and w = 1; the translation x, y only places the picture); 0 for the
// identity and for any other matrix (mirrored, scaled, sheared or with perspective), whose
// movie is shown as stored.
int TurnOfTrackMatrix(const TrackMatrix& matrix);

// The turn of a movie file: that of the first track in its movie atom with a picture size
// (audio tracks have none). 0 when the file has no such track or cannot be read.
int ReadMovieTurn(const ReadFileAt& read, uint64_t fileSize);

}  // namespace glintora
