#pragma once
// The sound of a movie of the movie library: its first audio stream read as 16-bit PCM by a
// source reader of its own on a thread of its own, and played through the system's wave
// output, kept a little ahead.
// Where the system has no sound device nothing plays; every operation then does nothing.

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "win/media/movie_library/movie_reader.h"
#include "win/media/movie_library/read_ahead.h"
#include "win/platform/com_ptr.h"

namespace glintora {

class CMovieSound {
 public:
  CMovieSound() = default;
  ~CMovieSound() { Close(); }
  CMovieSound(const CMovieSound&) = delete;
  CMovieSound& operator=(const CMovieSound&) = delete;

  // Opens the sound of `path` and the wave output for it, paused; false when there is no
  // sound or no device to play it.
  bool Open(const std::string& path);
  void Close();
  // Closes and waits up to `limitMs` until its reader has let the file go; true when it has.
  bool CloseAndLetGo(DWORD limitMs);
  bool IsOpen() const { return m_output != nullptr; }

  // Plays on from where it stands, or holds.
  void Play();
  void Pause();
  // Drops what is queued and goes to `time` (media time).
  void Seek(int64_t time);
  // Silent or at full volume.
  void SetMute(bool mute);
  // Queues what the output needs next from the blocks read ahead; never waits for a read.
  // Call it often (the frame timer does). A reader that answers again and again without
  // sound counts as ended (until the next Seek).
  void Feed();

 private:
  struct Block {
    WAVEHDR header{};
    std::vector<char> data;
  };
  // Gives the output back every block it has played.
  void Reclaim(bool all);

  ComPtr<IMFSourceReader> m_reader;  // until the read-ahead takes it
  std::unique_ptr<CReadAhead<std::vector<char>>> m_samples;
  HWAVEOUT m_output = nullptr;
  std::vector<std::unique_ptr<Block>> m_queued;
  bool m_atEnd = false;
  bool m_playing = false;
};

}  // namespace glintora
