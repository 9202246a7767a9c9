#pragma once
// Writes a movie file of the movie container with one video track of JPEG frames (the form
// the system's media support reads on every system), frame by frame: the frames go to the
// file as they come, their table at the end.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/media/video_frame.h"

namespace glintora {

// A frame as JPEG data (baseline, 4:2:0), or nothing when it cannot be encoded.
std::vector<uint8_t> EncodeJpegFrame(const VideoFrame& frame, int quality);

class MovieWriter {
 public:
  MovieWriter() = default;
  ~MovieWriter();  // an unfinished file is closed as it is: the caller removes it
  MovieWriter(const MovieWriter&) = delete;
  MovieWriter& operator=(const MovieWriter&) = delete;

  // Starts a movie of `width` × `height` with `timeScale` units a second at `path`.
  bool Begin(const std::string& path, int width, int height, uint32_t timeScale);
  // Appends one frame lasting `duration` units.
  bool AddFrame(const std::vector<uint8_t>& jpeg, uint32_t duration);
  // Writes the tables and closes the file; false when anything failed on the way.
  bool Finish();

 private:
  std::FILE* m_file = nullptr;
  bool m_failed = false;
  int m_width = 0;
  int m_height = 0;
  uint32_t m_timeScale = 0;
  uint64_t m_mediaStart = 0;  // where the frames' box begins
  uint64_t m_offset = 0;      // bytes written so far
  std::vector<uint32_t> m_sizes;
  std::vector<uint64_t> m_offsets;
  std::vector<uint32_t> m_durations;
};

}  // namespace glintora
