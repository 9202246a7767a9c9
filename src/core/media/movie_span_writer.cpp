#include "core/media/movie_span_writer.h"

#include <algorithm>
#include <utility>

#include "core/media/movie_time.h"

namespace glintora {

bool WriteFrameSpan(const NextFrame& next, int64_t begin, int64_t end, int quality, MovieWriter& writer) {
  // A frame is written once the next one tells how long it shows; the first read may come
  // before `begin`, and the last frame at or before it is the one showing there.
  VideoFrame frame;
  VideoFrame held;
  int64_t heldAt = 0;
  bool holding = false;
  const auto write = [&](int64_t until) {
    const int64_t from = std::max(heldAt, begin);
    const int64_t duration = std::clamp<int64_t>(until - from, 1, UINT32_MAX);
    return writer.AddFrame(EncodeJpegFrame(held, quality), static_cast<uint32_t>(duration));
  };
  for (;;) {
    const FrameRead read = next(frame);
    if (read == FrameRead::Failed) return false;
    if (read == FrameRead::End) break;
    const int64_t at = MovieUnits(frame.time);
    if (at >= end) break;
    if (holding && at > begin && !write(at)) return false;
    std::swap(held, frame);
    heldAt = at;
    holding = true;
  }
  return holding && write(end) && writer.Finish();
}

}  // namespace glintora
