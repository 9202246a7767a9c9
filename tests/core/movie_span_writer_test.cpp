// Saving a span of a movie whose reads may fail: a failure is never taken for the end.

#include "core/media/movie_span_writer.h"

#include <gtest/gtest.h>

#include "fixtures.h"

namespace glintora {
namespace {

TEST(MovieSpanWriterTest, AFailedReadBeforeTheSpansEndFailsTheSave) {
  // 8 × 8 frames at 10 a second, then `after`; the span is frames 10 to 20.
  const struct {
    int frames;
    FrameRead after;
    bool saved;
  } cases[] = {{5, FrameRead::Failed, false}, {15, FrameRead::Failed, false}, {15, FrameRead::End, true}};
  testing::TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frames);
    int read = 0;
    const NextFrame next = [&](VideoFrame& frame) {
      if (read == c.frames) return c.after;
      frame = VideoFrame{8, 8, std::vector<uint32_t>(64), int64_t{read++} * 1'000'000};
      return FrameRead::Frame;
    };
    MovieWriter writer;
    ASSERT_TRUE(writer.Begin(folder.Path("span.mov"), 8, 8, 600));
    EXPECT_EQ(WriteFrameSpan(next, 600, 1200, 90, writer), c.saved);
  }
}

}  // namespace
}  // namespace glintora
