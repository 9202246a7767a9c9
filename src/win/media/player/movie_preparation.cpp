#include "win/media/player/movie_preparation.h"

#include <utility>

#include "win/framework/worker_thread.h"
#include "win/media/directshow/directshow_engine.h"
#include "win/media/files/avi_file.h"
#include "win/media/files/movie_file_probe.h"
#include "win/media/movie_library/movie_library.h"
#include "win/platform/com_initialisation.h"

namespace glintora {

std::unique_ptr<PreparedMovie> PrepareMovie(const std::string& path, EngineRoute route, PrepareFor purpose) {
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
    case EngineRoute::QuickTime: {
      if (!FileCouldBeQuickTimeMovie(path) || !Cqt::Start()) break;
      auto picture = std::make_unique<CMovieReader>();
      if (!picture->Open(path)) break;
      movie->width = picture->Width();
      movie->height = picture->Height();
      if (purpose == PrepareFor::Playing && picture->HasAudio()) {
        auto sound = std::make_unique<CMovieSound>();
        if (sound->Open(path)) movie->sound = std::move(sound);
      }
      movie->picture = std::move(picture);
      movie->playable = true;
      break;
    }
    case EngineRoute::Graph: {
      if (!FileCouldBeMovie(path)) break;
      int width = 0;
      int height = 0;
      movie->graphRenders = CDirectShowEngine::ProbeRender(path, width, height);
      if (!movie->graphRenders || width <= 0 || height <= 0) AviVideoSize(path, width, height);
      movie->width = width;
      movie->height = height;
      movie->playable = true;  // what the graph does not render, the MCI window may play
      break;
    }
  }
  return movie;
}

struct MovieOpening::Job {
  Job(HWND target, UINT message, std::string file, EngineRoute way, PrepareFor what)
      : window(target), notify(message), path(std::move(file)), route(way), purpose(what) {}
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
  std::unique_ptr<PreparedMovie> result;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

bool MovieOpening::Start(HWND window, UINT notify, const std::string& path, EngineRoute route, PrepareFor purpose) {
  Cancel();
  auto job = std::make_shared<Job>(window, notify, path, route, purpose);
  if (!job->done) return false;
  // The thread holds its own reference: a given-up preparation is freed there, readers first
  // and the in-flight mark last, so the library stays loaded while they are released.
  if (!CWorkerThread::RunDetached([job] { return Run(*job); })) return false;
  m_job = std::move(job);
  return true;
}

UINT MovieOpening::Run(Job& job) {
  job.result = PrepareMovie(job.path, job.route, job.purpose);
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
