#pragma once
// One movie file read through the movie library's source reader: its size, duration and
// sound, and its video frames one after another, decoded into the layout the movie window
// paints. Every answer of a reader that is not open (the library missing, a file it cannot
// read) is that of an empty movie. The source reader is free-threaded and opened on a thread
// of its own: a reader may be opened on one thread and read on another.

#include <windows.h>

#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/media/movie_span_writer.h"
#include "core/media/video_frame.h"
#include "win/platform/com_ptr.h"

namespace glintora {

class CMovieReader {
 public:
  CMovieReader() = default;
  ~CMovieReader() { Close(); }
  CMovieReader(const CMovieReader&) = delete;
  CMovieReader& operator=(const CMovieReader&) = delete;

  // Opens `path` read-only for its first video stream, decoded to 32-bit colour where the
  // system converts to it, else to NV12 (which every decoder gives). False when it has no
  // video, or the library or the file is not there.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return static_cast<bool>(m_reader); }

  const std::string& Path() const { return m_path; }
  // Frames are turned clockwise by `degrees` (0, 90, 180 or 270) as they are read, and the
  // size below is the turned one. A new reader turns nothing.
  void SetTurn(int degrees) { m_turn = degrees; }
  int Width() const { return Sideways() ? m_height : m_width; }
  int Height() const { return Sideways() ? m_width : m_height; }
  // Media time (100 ns); 0 when unknown.
  int64_t Duration() const { return m_duration; }
  bool HasAudio() const { return m_hasAudio; }
  // The layout frames come from the reader in.
  ReaderPixelLayout Layout() const { return m_layout; }

  // The next frame in play order, with its time; the end of the video stream and a frame
  // that cannot be read are told apart.
  FrameRead Read(VideoFrame& frame);
  // The same for playing, which stops either way: false at the end or on a failure.
  bool ReadFrame(VideoFrame& frame) { return Read(frame) == FrameRead::Frame; }
  // Goes back (or on) to `time` (media time): the next frame read is the one shown there.
  bool Seek(int64_t time);

  // The media time of every video sample of a file, in order; nothing when it does not open.
  static std::optional<std::vector<int64_t>> SampleTimes(const std::string& path);

 private:
  // Asks for decoded frames in `subtype` and takes the size and row layout the reader gives.
  bool UseOutput(const GUID& subtype);
  bool ReadLayout();
  bool Sideways() const { return m_turn == 90 || m_turn == 270; }

  ComPtr<IMFSourceReader> m_reader;
  std::string m_path;
  int m_width = 0;  // as stored in the file
  int m_height = 0;
  int m_turn = 0;
  VideoFrame m_stored;  // a frame as stored, before its turn
  int m_stride = 0;
  ReaderPixelLayout m_layout = ReaderPixelLayout::Nv12;
  int64_t m_duration = 0;
  bool m_hasAudio = false;
};

// A reader for `path` with its streams as the file has them; null when it does not open, and
// at once for a file that does not hold a whole movie (see CouldBeQuickTimeMovie).
ComPtr<IMFSourceReader> OpenSourceReader(const std::string& path, bool convertVideo);

}  // namespace glintora
