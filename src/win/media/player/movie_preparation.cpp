#include "win/media/player/movie_preparation.h"

#include <utility>

#include "win/framework/worker_thread.h"
#include "win/media/directshow/directshow_engine.h"
#include "win/media/files/avi_file.h"
#include "win/media/files/movie_file_probe.h"
#include "win/media/movie_library/movie_library.h"
#include "win/platform/com_initialisation.h"

namespace glintora {

namespace {

// Opens the movie library's readers; false when the library is missing or cannot read the file.
bool PrepareLibraryMovie(PreparedMovie& movie, PrepareFor purpose, MovieTurning turning) {
  if (!FileCouldBeQuickTimeMovie(movie.path) || !Cqt::Start()) return false;
  auto picture = std::make_unique<CMovieReader>();
  if (!picture->Open(movie.path)) return false;
  if (turning == MovieTurning::Upright) picture->SetTurn(FileMovieTurn(movie.path));
  movie.width = picture->Width();
  movie.height = picture->Height();
  if (purpose == PrepareFor::Playing && picture->HasAudio()) {
    auto sound = std::make_unique<CMovieSound>();
    if (sound->Open(movie.path)) movie.sound = std::move(sound);
  }
  movie.picture = std::move(picture);
  movie.route = EngineRoute::QuickTime;
  return true;
}

// A trial render of the graph, which gives the size; AVI headers tell it where no graph does.
void PrepareGraphMovie(PreparedMovie& movie) {
  int width = 0;
  int height = 0;
  movie.graphRenders = CDirectShowEngine::ProbeRender(movie.path, width, height);
  if (!movie.graphRenders || width <= 0 || height <= 0) AviVideoSize(movie.path, width, height);
  movie.width = width;
  movie.height = height;
  movie.route = EngineRoute::Graph;
}

}  // namespace

std::unique_ptr<PreparedMovie> PrepareMovie(const std::string& path, EngineRoute route, PrepareFor purpose,
                                            MovieTurning turning) {
  auto movie = std::make_unique<PreparedMovie>();
  movie->path = path;
  movie->route = route;
  // The objects made here outlive this thread's apartment: the media objects are free-threaded.
  const ComInitialisation com(COINIT_MULTITHREADED);
  switch (route) {
    case EngineRoute::Sound:
      // The MCI window opens a sound itself, and tells its end.
      movie->playable = true;
      break;
    case EngineRoute::QuickTime: movie->playable = PrepareLibraryMovie(*movie, purpose, turning); break;
    case EngineRoute::LibraryThenGraph:
      if (!FileCouldBeQuickTimeMovie(path)) break;
      if (PrepareLibraryMovie(*movie, purpose, turning)) {
        movie->playable = true;
        break;
      }
      // Only a graph plays what the library refused: the MCI window has no other way to it.
      PrepareGraphMovie(*movie);
      movie->playable = movie->graphRenders;
      break;
    case EngineRoute::Graph:
      if (!FileCouldBeMovie(path)) break;
      PrepareGraphMovie(*movie);
      movie->playable = true;  // what the graph does not render, the MCI window may play
      break;
  }
  return movie;
}

struct MovieOpening::Job {
  Job(HWND target, UINT message, std::string file, EngineRoute way, PrepareFor what, MovieTurning turn)
      : window(target), notify(message), path(std::move(file)), route(way), purpose(what), turning(turn) {}
  ~Job() {
    if (done) CloseHandle(done);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  // First in, last out: calls into the movie library under way on the thread, and the
  // readers it made until they are released, keep the library loaded at exit.
  LibraryCallInFlight inFlight;
  HWND window;
  UINT notify;
  std::string path;
  EngineRoute route;
  PrepareFor purpose;
  MovieTurning turning;
  std::unique_ptr<PreparedMovie> result;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

bool MovieOpening::Start(HWND window, UINT notify, const std::string& path, EngineRoute route, PrepareFor purpose,
                         MovieTurning turning) {
  Cancel();
  auto job = std::make_shared<Job>(window, notify, path, route, purpose, turning);
  if (!job->done) return false;
  // The thread holds its own reference: a given-up preparation is freed there, readers first
  // and the in-flight mark last, so the library stays loaded while they are released.
  if (!CWorkerThread::RunDetached([job] { return Run(*job); })) return false;
  m_job = std::move(job);
  return true;
}

UINT MovieOpening::Run(Job& job) {
  job.result = PrepareMovie(job.path, job.route, job.purpose, job.turning);
  SetEvent(job.done);
  if (job.window) PostMessageA(job.window, job.notify, 0, 0);
  return 0;
}

bool MovieOpening::Done() const { return m_job && WaitForSingleObject(m_job->done, 0) == WAIT_OBJECT_0; }

const std::string& MovieOpening::Path() const {
  static const std::string none;
  return m_job ? m_job->path : none;
}

std::unique_ptr<PreparedMovie> MovieOpening::Take() {
  if (!Done()) return nullptr;
  std::unique_ptr<PreparedMovie> result = std::move(m_job->result);
  m_job.reset();
  return result;
}

void MovieOpening::Cancel() { m_job.reset(); }

std::unique_ptr<PreparedMovie> MovieOpening::PrepareWithin(const std::string& path, EngineRoute route,
                                                          PrepareFor purpose, DWORD limitMs) {
  MovieOpening opening;
  if (!opening.Start(nullptr, 0, path, route, purpose)) return nullptr;
  WaitForSingleObject(opening.m_job->done, limitMs);
  return opening.Take();
}

}  // namespace glintora
