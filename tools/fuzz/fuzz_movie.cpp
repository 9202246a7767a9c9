// The checks a movie file passes before any system decoder sees it (the AVI skeleton, the
// movie atom of a ".mov" or phone video, the general head check) and the turn read from its
// video track's header: every read must stay within the file, every walk end.

#include "core/media/engine_route.h"
#include "core/media/track_turn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const glintora::ReadFileAt read = glintora::ReadFromMemory(data, size);
  for (const char* name : {"clip.avi", "clip.mov", "clip.mp4", "clip.mpg"}) glintora::CouldBeMovieFile(name, read, size);
  const int turn = glintora::ReadMovieTurn(read, size);
  if (turn != 0 && turn != 90 && turn != 180 && turn != 270) __builtin_trap();
  return 0;
}
