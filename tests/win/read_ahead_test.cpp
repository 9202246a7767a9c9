// The read-ahead of a movie's streams with a scripted source: the window's thread never waits
// for a read, a seek drops what was read before it, and the source is let go on request.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "win/media/movie_library/read_ahead.h"

namespace glintora {
namespace {

// Counts from where it was sought; each read waits until the test opens the gate (or the
// gate is left open). Tells when it is gone.
struct Script {
  HANDLE gate = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  std::atomic<int> next{0};
  std::atomic<int> last{1000};  // reads past this one answer the end
  std::atomic<bool> gone{false};
  ~Script() { CloseHandle(gate); }
};

class ScriptedSource : public CReadAhead<int>::Source {
 public:
  explicit ScriptedSource(std::shared_ptr<Script> script) : m_script(std::move(script)) {}
  ~ScriptedSource() override { m_script->gone = true; }
  bool Read(int& item) override {
    WaitForSingleObject(m_script->gate, INFINITE);
    item = m_script->next++;
    return item <= m_script->last;
  }
  void Seek(int64_t time) override { m_script->next = static_cast<int>(time); }

 private:
  std::shared_ptr<Script> m_script;
};

using Ahead = CReadAhead<int>;

// Takes until something other than Pending comes, for up to five seconds.
Ahead::Next TakeSoon(Ahead& ahead, int& item) {
  for (int tries = 0; tries < 500; ++tries) {
    const Ahead::Next next = ahead.Take(item);
    if (next != Ahead::Next::Pending) return next;
    Sleep(10);
  }
  return Ahead::Next::Pending;
}

TEST(ReadAhead, NeverWaitsDropsWhatASeekMakesStaleAndEndsWithTheSource) {
  auto script = std::make_shared<Script>();
  script->last = 5;
  Ahead ahead(std::make_unique<ScriptedSource>(script), 2);
  int item = -1;
  for (int expected = 0; expected < 3; ++expected) {
    ASSERT_EQ(TakeSoon(ahead, item), Ahead::Next::Ready);
    EXPECT_EQ(item, expected) << "in order";
  }
  // A read that does not come back holds nobody but the reading thread.
  ResetEvent(script->gate);
  Sleep(50);  // the thread is inside a read now, or about to be
  const DWORD before = GetTickCount();
  for (int i = 0; i < 5; ++i) ahead.Take(item);
  EXPECT_LT(GetTickCount() - before, 1000u);
  ahead.Seek(100);
  EXPECT_EQ(ahead.Take(item), Ahead::Next::Pending) << "nothing from before the seek";
  script->last = 101;
  SetEvent(script->gate);
  ASSERT_EQ(TakeSoon(ahead, item), Ahead::Next::Ready);
  EXPECT_EQ(item, 100) << "the read under way at the seek was dropped";
  ASSERT_EQ(TakeSoon(ahead, item), Ahead::Next::Ready);
  EXPECT_EQ(item, 101);
  EXPECT_EQ(TakeSoon(ahead, item), Ahead::Next::End);
  ahead.Seek(0);
  script->last = 1000;
  ASSERT_EQ(TakeSoon(ahead, item), Ahead::Next::Ready) << "a seek reads again after the end";
  EXPECT_EQ(item, 0);
}

TEST(ReadAhead, LetsTheSourceGoOnRequestOrOnItsOwnAfterABlockedRead) {
  auto script = std::make_shared<Script>();
  {
    Ahead ahead(std::make_unique<ScriptedSource>(script), 2);
    EXPECT_TRUE(ahead.StopAndWait(5000));
    EXPECT_TRUE(script->gone);
  }
  script = std::make_shared<Script>();
  ResetEvent(script->gate);
  {
    Ahead ahead(std::make_unique<ScriptedSource>(script), 2);
    Sleep(50);
    EXPECT_FALSE(ahead.StopAndWait(100)) << "a read that does not come back is not waited for";
  }
  EXPECT_FALSE(script->gone);
  SetEvent(script->gate);
  for (int tries = 0; tries < 500 && !script->gone; ++tries) Sleep(10);
  EXPECT_TRUE(script->gone) << "the thread frees the source once its read returns";
}

}  // namespace
}  // namespace glintora
