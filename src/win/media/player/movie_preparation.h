#pragma once
// Everything about a movie file that may block, done before the player gets the file: the
// checks of its bytes, the opening of the movie library's readers and of the sound output,
// a trial render of the DirectShow graph. The system's media support may take seconds over a
// file, or never come back; so this runs on a thread of its own (MovieOpening) and the show's
// thread never waits for it.

#include <windows.h>

#include <memory>
#include <string>

#include "core/media/engine_route.h"
#include "win/media/movie_library/movie_reader.h"
#include "win/media/movie_library/movie_sound.h"

namespace glintora {

struct PreparedMovie {
  std::string path;
  EngineRoute route = EngineRoute::Graph;
  // False when the file was refused (its bytes, or the system's media support): no engine
  // gets it afterwards.
  bool playable = false;
  int width = 0;  // natural size; 0 × 0 when unknown or without video
  int height = 0;
  // The movie library's route: its readers, opened (the sound only when the movie has one, the
  // system a device and the sound was asked for).
  std::unique_ptr<CMovieReader> picture;
  std::unique_ptr<CMovieSound> sound;
  // The graph route: whether a graph rendered the file. When not, the MCI window plays it.
  bool graphRenders = false;
};

enum class PrepareFor { Playing, SizeOnly };
// Whether the movie library's window turns a movie whose track says it was recorded turned
// (see track_turn.h) to stand upright, as the show's "Auto Rotate" asks; the natural size is
// then the turned one. The DirectShow graph draws by itself and shows every movie as stored.
enum class MovieTurning { Upright, AsStored };

// Prepares `path` for the engine of `route`; for EngineRoute::LibraryThenGraph the result's
// route is the engine that takes the file. Blocks for as long as the calls into the system's
// media support take (each reader opening is bounded; a graph's render is not): never call it
// on a thread that must serve input. Needs no COM on the calling thread.
std::unique_ptr<PreparedMovie> PrepareMovie(const std::string& path, EngineRoute route, PrepareFor purpose,
                                            MovieTurning turning = MovieTurning::Upright);

// One preparation on a worker thread. The work is shared with the thread: Cancel gives it up
// at once, and the thread frees what it prepared when it ends.
class MovieOpening {
 public:
  // Milliseconds a preparation may take before it is given up: the readers' openings are
  // bounded by five seconds each, the graph's trial render is not.
  static constexpr DWORD kLimitMs = 12000;

  MovieOpening() = default;
  ~MovieOpening() { Cancel(); }
  MovieOpening(const MovieOpening&) = delete;
  MovieOpening& operator=(const MovieOpening&) = delete;

  // Starts preparing; `notify` is posted to `window` (both parameters 0) when it is done.
  // False when no thread could be started.
  bool Start(HWND window, UINT notify, const std::string& path, EngineRoute route, PrepareFor purpose,
             MovieTurning turning = MovieTurning::Upright);
  bool Pending() const { return m_job != nullptr; }
  bool Done() const;
  const std::string& Path() const;
  // What was prepared once Done; null otherwise. Nothing is pending afterwards.
  std::unique_ptr<PreparedMovie> Take();
  void Cancel();

  // For callers that have no message loop to return to (a dialog's player, a size asked for):
  // prepares on a worker and waits up to `limitMs`; null when given up.
  static std::unique_ptr<PreparedMovie> PrepareWithin(const std::string& path, EngineRoute route, PrepareFor purpose,
                                                      DWORD limitMs = kLimitMs);

 private:
  struct Job;
  static UINT Run(Job& job);

  std::shared_ptr<Job> m_job;
};

}  // namespace glintora
