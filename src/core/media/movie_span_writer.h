#pragma once
// Saving a span of a movie as a new movie: its frames, read one after another from whatever
// decodes the source, go to the movie writer with the time each shows for. A read that fails
// is told apart from the movie's end, so that a damaged source is never saved cut short.

#include <cstdint>
#include <functional>

#include "core/media/movie_writer.h"
#include "core/media/video_frame.h"

namespace glintora {

// What reading the next frame of a movie gave.
enum class FrameRead {
  Frame,   // the frame, with its time
  End,     // no frame follows: the movie is over
  Failed,  // the frame could not be read; frames may follow, so this is not the end
};

using NextFrame = std::function<FrameRead(VideoFrame& frame)>;

// Writes the frames that `next` reads (in play order, starting at or before `begin`) that show
// from `begin` to `end` (movie units) into `writer`, which has begun, as JPEG frames of
// `quality`, each lasting until the next, the last until `end`, and finishes the file. False
// when a read fails before a frame at or past `end` has come, when no frame shows in the
// span, or when the writer fails; the unfinished file is then the caller's to remove.
bool WriteFrameSpan(const NextFrame& next, int64_t begin, int64_t end, int quality, MovieWriter& writer);

}  // namespace glintora
