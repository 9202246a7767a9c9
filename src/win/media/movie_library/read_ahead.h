#pragma once
// Reads a movie's stream (its frames, its sound) on a thread of its own, a few items ahead of
// what is played: the system's decoders may take long over an item, or never come back, and
// the window's thread must go on serving input meanwhile. The source is shared with that
// thread: when the window lets go while a read is under way, the thread finishes it on its
// own and frees the source afterwards.

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "win/media/movie_library/movie_library.h"

namespace glintora {

template <typename Item>
class CReadAhead {
 public:
  // What is read; used by the reading thread only once it runs.
  class Source {
   public:
    virtual ~Source() = default;
    // The next item in play order; false at the end or on a failure.
    virtual bool Read(Item& item) = 0;
    // Goes to `time` (media time): the next item read is the one played there.
    virtual void Seek(int64_t time) = 0;
  };
  enum class Next { Ready, Pending, End };

  // Starts reading `source` from where it stands, keeping up to `ahead` items ready.
  CReadAhead(std::unique_ptr<Source> source, size_t ahead) : m_shared(std::make_shared<Shared>()) {
    m_shared->source = std::move(source);
    m_shared->ahead = ahead;
    try {
      std::thread(&CReadAhead::Run, m_shared).detach();
    } catch (const std::system_error&) {
      m_shared->atEnd = true;  // no thread: a stream without items, which ends at once
      m_shared->source.reset();
      m_shared->released = true;
    }
  }
  ~CReadAhead() { Stop(); }
  CReadAhead(const CReadAhead&) = delete;
  CReadAhead& operator=(const CReadAhead&) = delete;

  // Never waits: the next item when one is ready; Pending while it is being read; End once
  // the source has no more (its end, or a failure) until the next seek.
  Next Take(Item& item) {
    std::unique_lock<std::mutex> guard(m_shared->lock);
    if (!m_shared->ready.empty()) {
      item = std::move(m_shared->ready.front());
      m_shared->ready.pop_front();
      guard.unlock();
      m_shared->wake.notify_all();  // room for the next
      return Next::Ready;
    }
    return m_shared->atEnd && !m_shared->seekTo ? Next::End : Next::Pending;
  }

  // Stops reading and waits up to `limitMs` until the thread has let the source go (and with
  // it the file); true when it has. For a file about to be replaced: otherwise the thread
  // lets go on its own, later.
  bool StopAndWait(DWORD limitMs) {
    Stop();
    std::unique_lock<std::mutex> guard(m_shared->lock);
    return m_shared->wake.wait_for(guard, std::chrono::milliseconds(limitMs), [&] { return m_shared->released; });
  }

  // Drops what was read and reads on from `time` (media time).
  void Seek(int64_t time) {
    {
      const std::lock_guard<std::mutex> guard(m_shared->lock);
      m_shared->ready.clear();
      m_shared->atEnd = false;
      m_shared->seekTo = time;
      ++m_shared->generation;
    }
    m_shared->wake.notify_all();
  }

 private:
  struct Shared {
    // First in, last out: while the source lives (and a read may be under way on the
    // thread) the movie library is not shut down at exit.
    LibraryCallInFlight inFlight;
    std::unique_ptr<Source> source;
    size_t ahead = 1;

    std::mutex lock;  // guards what follows
    std::condition_variable wake;
    std::deque<Item> ready;
    bool atEnd = false;
    bool stop = false;
    bool released = false;  // the thread has let the source go
    std::optional<int64_t> seekTo;
    uint64_t generation = 0;  // counts seeks: a read begun before one is dropped
  };

  void Stop() {
    {
      const std::lock_guard<std::mutex> guard(m_shared->lock);
      m_shared->stop = true;
    }
    m_shared->wake.notify_all();
  }

  static void Run(std::shared_ptr<Shared> shared) {
    // The sources are free-threaded; this apartment is only for what this thread calls.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
      std::optional<int64_t> seek;
      uint64_t generation = 0;
      {
        std::unique_lock<std::mutex> guard(shared->lock);
        shared->wake.wait(guard, [&] {
          return shared->stop || shared->seekTo || (!shared->atEnd && shared->ready.size() < shared->ahead);
        });
        if (shared->stop) break;
        seek = std::exchange(shared->seekTo, std::nullopt);
        generation = shared->generation;
      }
      // The calls that may block run without the lock.
      if (seek) {
        shared->source->Seek(*seek);
        continue;
      }
      Item item{};
      const bool read = shared->source->Read(item);
      const std::lock_guard<std::mutex> guard(shared->lock);
      if (shared->generation != generation) continue;  // sought meanwhile: from before the seek
      if (read) {
        shared->ready.push_back(std::move(item));
      } else {
        shared->atEnd = true;
      }
    }
    // Released here, before this thread leaves its apartment; the in-flight mark goes with
    // the last holder.
    shared->source.reset();
    {
      const std::lock_guard<std::mutex> guard(shared->lock);
      shared->released = true;
    }
    shared->wake.notify_all();
    shared.reset();
    if (SUCCEEDED(com)) CoUninitialize();
  }

  std::shared_ptr<Shared> m_shared;
};

}  // namespace glintora
