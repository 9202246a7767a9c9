// The movie library's window with the system's real Media Foundation under Wine, playing the
// ".mov" movies made for the tests: what it tells about a movie, its end report, looping, the
// selection, what it shows on the screen, its controller's bounds and full screen, and the
// player driving it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../core/fixtures.h"
#include "core/media/library_binding.h"
#include "movie_fixtures.h"
#include "test_window.h"
#include "win/framework/wnd.h"
#include "win/media/movie_library/movie_library.h"
#include "win/media/movie_library/quick_time_wnd.h"
#include "win/media/player/media_player.h"
#include "win/media/player/movie_preparation.h"
#include "window_capture.h"

namespace glintora {
namespace {

using testing::MovieFixture;

// counting.mov: 30 frames of 320 × 240 at 10 a second; bright.mov: 20 of 160 × 120, one colour.
// The phone videos (phone.mp4, with sound phone-sound.mp4): 60 frames of 320 × 240 in H.264 at
// 30 a second; portrait.mov is counting.mov with its track turned a quarter clockwise.
constexpr int64_t kCountingUnits = 1800;
constexpr int64_t kBrightUnits = 1200;
constexpr uint32_t kBright = 0xF0D020;

// Counts what the movie window and the player tell their owner.
class Owner : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  Owner() {
    const char* type = RegisterWindowClass(0, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
    CreateEx(WS_EX_TOPMOST, type, "movie owner", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300}, nullptr, 0);
  }
  ~Owner() override { DestroyWindow(); }
  void Reset() {
    windowDone = playerDone = doubleClicks = moves = 0;
    doneSent = false;
  }

  int windowDone = 0;
  int playerDone = 0;
  int doubleClicks = 0;
  int moves = 0;
  bool doneSent = false;  // an end report arrived as a sent message
  LRESULT OnWindowDone(WPARAM, LPARAM) {
    doneSent |= InSendMessage() != FALSE;
    return ++windowDone, 0;
  }
  LRESULT OnPlayerDone(WPARAM, LPARAM) { return ++playerDone, 0; }
  LRESULT OnDoubleClick(WPARAM, LPARAM) { return ++doubleClicks, 0; }
  LRESULT OnMove(WPARAM, LPARAM) { return ++moves, 0; }
};
// clang-format off
GLINTORA_MESSAGE_MAP(Owner, CWnd, OnMessage<&Owner::OnWindowDone>(WM_QUICKTIME_DONE),
                     OnMessage<&Owner::OnPlayerDone>(WM_PLAYER_DONE),
                     OnMessage<&Owner::OnDoubleClick>(WM_LBUTTONDBLCLK),
                     OnMessage<&Owner::OnMove>(WM_MOUSEMOVE))
// clang-format on

using testing::PumpFor;
using testing::PumpUntil;

// Within `tolerance` on each channel: the movie's colours pass through JPEG and YUV.
bool Near(uint32_t a, uint32_t b, int tolerance = 24) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
      return false;
    }
  }
  return true;
}
uint32_t ScreenPixel(int x, int y) {
  auto shot = testing::CaptureArea(nullptr, x, y, 1, 1);
  const CvxColor8& p = shot->At(0, 0);
  return static_cast<uint32_t>(p.c[2]) << 16 | static_cast<uint32_t>(p.c[1]) << 8 | p.c[0];
}

class QuickTimeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_owner = new Owner; }
  static void TearDownTestSuite() {
    delete s_owner;
    s_owner = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(MovieFixture("counting.mov").empty()) << "GLINTORA_MOVIES names the movies' folder";
    owner.Reset();
  }

  // A movie window on the owner, opened and placed at (x, y) with `width` × `height`.
  std::unique_ptr<CQuickTimeWnd> Window(const std::string& name, RECT place, bool controls = false) {
    auto window = std::make_unique<CQuickTimeWnd>(controls);
    EXPECT_TRUE(window->Create(owner.m_hWnd));
    EXPECT_TRUE(window->OpenFile(MovieFixture(name)));
    MoveWindow(window->m_hWnd, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    ShowWindow(window->m_hWnd, SW_SHOW);
    return window;
  }

  static Owner* s_owner;
  Owner& owner = *s_owner;
};
Owner* QuickTimeTest::s_owner = nullptr;

TEST_F(QuickTimeTest, TheLibraryLoadsAtRunTimeAndTellsSizeDurationAndFrames) {
  ASSERT_TRUE(Cqt::Start());
  EXPECT_GE(MovieLibrary().StartCount(), 1);
  EXPECT_NE(GetModuleHandleA("mfreadwrite.dll"), nullptr);

  int width = 0;
  int height = 0;
  ASSERT_TRUE(CMediaPlayer::GetMovieSize(MovieFixture("counting.mov"), width, height));
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);

  CQuickTime movie;
  ASSERT_TRUE(movie.OpenMovie(MovieFixture("counting.mov")));
  EXPECT_EQ(movie.Duration(), kCountingUnits);
  EXPECT_EQ(movie.CountFrames(movie.GetMovie()), 30);
  EXPECT_EQ(movie.LastFrameTime(movie.GetMovie()), 1740) << "the 30th frame at 2.9 s";
  EXPECT_EQ(movie.CountFramesOfFile(MovieFixture("bright.mov")), 20);
  EXPECT_EQ(movie.LastFrameTimeOfFile(MovieFixture("bright.mov")), 1140);
  EXPECT_EQ(movie.CountFramesOfFile(MovieFixture("missing.mov")), 0);
  EXPECT_EQ(movie.Box().right, 320);
  EXPECT_EQ(movie.Box().bottom, 240);
  std::printf("reader output: %s\n", movie.GetMovie()->Layout() == ReaderPixelLayout::Rgb32 ? "RGB32" : "NV12");
  // No sound track: nothing to mute.
  EXPECT_FALSE(movie.HasAudio());
  movie.SetMute(true);
  EXPECT_EQ(movie.GetController()->volume, 0);
  std::string title;
  movie.GetFileTitle(title);
  EXPECT_EQ(title, "counting.mov");

  // What does not open: false, at once, and the wrapper stays closed. A movie cut before its
  // movie atom and noise under the name are refused before the library sees them (under Wine
  // its opening of such files may never come back).
  testing::TempFolder folder;
  std::vector<uint8_t> cut = testing::ReadBytes(MovieFixture("counting.mov"));
  cut.resize(cut.size() / 2);
  testing::WriteBytes(folder.Path("cut.mov"), cut);
  testing::WriteBytes(folder.Path("noise.mov"), std::vector<uint8_t>(4000, 0xA7));
  const std::string tooLong = "C:\\" + std::string(300, 'x') + ".mov";
  for (const std::string& path :
       {std::string(), MovieFixture("missing.mov"), tooLong, folder.Path("cut.mov"), folder.Path("noise.mov")}) {
    const DWORD start = GetTickCount();
    EXPECT_FALSE(movie.OpenMovie(path)) << path;
    EXPECT_EQ(movie.CountFramesOfFile(path), 0) << path;
    CMediaPlayer player;
    EXPECT_FALSE(player.Open(path, owner.m_hWnd, RECT{0, 0, 160, 120})) << path;
    EXPECT_LT(GetTickCount() - start, 1000u) << path;
  }
  EXPECT_FALSE(movie.Opened());
  EXPECT_EQ(movie.GetController(), nullptr);
  EXPECT_EQ(movie.GetControllerTime(), -1);
}

TEST_F(QuickTimeTest, ShowsTheMovieAndReportsItsEndOnce) {
  auto window = Window("bright.mov", RECT{20, 30, 180, 150});
  const DWORD start = GetTickCount();
  window->StartPlaying();
  EXPECT_TRUE(PumpUntil([] { return Near(ScreenPixel(100, 90), kBright); }, 5000)) << "the colour on the screen";
  EXPECT_TRUE(Near(ScreenPixel(22, 32), kBright)) << "its top-left corner";
  EXPECT_TRUE(Near(ScreenPixel(177, 147), kBright)) << "its bottom-right corner: no bar below";
  EXPECT_EQ(ScreenPixel(185, 90), 0u) << "black beside it";
  ASSERT_TRUE(PumpUntil([&] { return owner.windowDone > 0; }, 10000));
  std::printf("a 2-s movie's end reported after %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_GE(GetTickCount() - start, 1800u) << "not before two seconds have played";
  PumpFor(800);
  EXPECT_EQ(owner.windowDone, 1) << "one report";
  EXPECT_FALSE(owner.doneSent) << "posted: the owner may close the window in response";
  EXPECT_TRUE(Near(ScreenPixel(100, 90), kBright)) << "the last frame stays";
}

TEST_F(QuickTimeTest, ALoopNeverEndsAndASelectionPlaysOnlyItsFrames) {
  {
    auto window = Window("bright.mov", RECT{0, 0, 160, 120});
    window->SetLooping(true);
    window->StartPlaying();
    PumpFor(3000);
    EXPECT_EQ(owner.windowDone, 0) << "a looping movie never ends";
    EXPECT_LT(window->GetControllerTime(), kBrightUnits) << "back at the start after its end";
  }
  auto window = Window("counting.mov", RECT{0, 0, 160, 120});
  window->SetSelection(10, 20);  // 1 s to 2 s of the 3-s movie
  const MovieController* controller = window->Movie().GetController();
  EXPECT_EQ(controller->position.Begin(), 600);
  EXPECT_EQ(controller->position.End(), 1200);
  const DWORD start = GetTickCount();
  window->StartPlaying();
  EXPECT_GE(window->GetControllerTime(), 600);
  ASSERT_TRUE(PumpUntil([&] { return owner.windowDone > 0; }, 10000));
  const DWORD played = GetTickCount() - start;
  EXPECT_GE(played, 900u);
  EXPECT_LT(played, 2500u) << "one second of the selection, not the whole movie";
  EXPECT_GE(window->Movie().Frame().time, 10'000'000) << "the frames shown are the selection's";
  EXPECT_LT(window->Movie().Frame().time, 20'000'000);
}

TEST_F(QuickTimeTest, AMovieWithSoundPlaysAndMutes) {
  constexpr uint32_t kGreen = 0x20C040;
  auto window = Window("sound.mov", RECT{0, 0, 160, 120});
  CQuickTime& movie = window->Movie();
  EXPECT_TRUE(window->HasAudio());
  EXPECT_EQ(movie.GetController()->volume, kFullTrackVolume);
  // Muting turns the track's volume negative, and only once; unmuting brings it back.
  for (const bool mute : {true, true, false, false}) {
    window->SetMute(mute);
    EXPECT_EQ(movie.GetController()->volume, mute ? -kFullTrackVolume : kFullTrackVolume);
  }
  std::printf("sound output: %s\n", movie.PlaysSound() ? "a device plays it" : "no sound device");
  window->SetMute(true);
  window->StartPlaying();
  EXPECT_TRUE(PumpUntil([] { return Near(ScreenPixel(80, 60), kGreen); }, 5000)) << "its picture shows";
  ASSERT_TRUE(PumpUntil([&] { return owner.windowDone > 0; }, 10000));
  PumpFor(300);
  EXPECT_EQ(owner.windowDone, 1);
}

TEST_F(QuickTimeTest, AWindowWithoutAMovieReportsItsEndAtTheFirstTick) {
  CQuickTimeWnd window(false);
  ASSERT_TRUE(window.Create(owner.m_hWnd));
  EXPECT_FALSE(window.OpenFile(MovieFixture("missing.mov")));
  window.StartPlaying();
  ASSERT_TRUE(PumpUntil([&] { return owner.windowDone > 0; }, 3000));
  PumpFor(400);
  EXPECT_EQ(owner.windowDone, 1);
}

TEST_F(QuickTimeTest, TheControllerBarLiesBelowTheWindowWhenHidden) {
  for (const bool controls : {true, false}) {
    auto window = Window("counting.mov", RECT{0, 0, 320, 256}, controls);
    EXPECT_EQ(window->Movie().GetController()->bounds.right, 320);
    EXPECT_EQ(window->Movie().GetController()->bounds.bottom, controls ? 256 : 272);
  }
}

TEST_F(QuickTimeTest, FullScreenComesAndGoesByEscapeOrDoubleClick) {
  auto window = Window("bright.mov", RECT{0, 0, 160, 120});
  window->SetLooping(true);
  window->StartPlaying();
  window->ToggleFullScreen();
  HWND full = CQuickTimeWnd::FullScreenWindow();
  ASSERT_NE(full, nullptr);
  RECT r{};
  GetWindowRect(full, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_TRUE(PumpUntil([] { return Near(ScreenPixel(GetSystemMetrics(SM_CXSCREEN) / 2, 300), kBright); }, 5000))
      << "the movie fills the screen";
  SendMessageA(full, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(CQuickTimeWnd::FullScreenWindow(), nullptr) << "Escape leaves";
  EXPECT_FALSE(IsWindow(full));

  // Two clicks within the system's time and distance: a double click.
  window->ToggleFullScreen();
  full = CQuickTimeWnd::FullScreenWindow();
  ASSERT_NE(full, nullptr);
  SendMessageA(full, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  SendMessageA(full, WM_LBUTTONUP, 0, MAKELPARAM(51, 50));
  EXPECT_EQ(CQuickTimeWnd::FullScreenWindow(), nullptr) << "a double click leaves";

  // Where full screen is not allowed, Escape does nothing and a double click reaches the owner.
  window->ToggleFullScreen();
  full = CQuickTimeWnd::FullScreenWindow();
  window->SetFullScreenAllowed(false);
  SendMessageA(full, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(CQuickTimeWnd::FullScreenWindow(), full);
  SendMessageA(full, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  SendMessageA(full, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_EQ(owner.doubleClicks, 1);
  // Its window going takes full screen with it.
  window.reset();
  EXPECT_EQ(CQuickTimeWnd::FullScreenWindow(), nullptr);
  EXPECT_FALSE(IsWindow(full));
}

TEST_F(QuickTimeTest, AMouseMoveReachesTheOwnerOnceAndOnlyWhenPassedOn) {
  for (const bool forward : {true, false}) {
    owner.Reset();
    CQuickTimeWnd window(false);
    ASSERT_TRUE(window.Create(owner.m_hWnd));
    window.SetForwardMouse(forward);
    SendMessageA(window.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(owner.moves, forward ? 1 : 0) << (forward ? "passed on" : "kept");
  }
}

TEST_F(QuickTimeTest, SavesTheSelectionAsANewMovieWithoutHarmingTheSource) {
  testing::TempFolder folder;
  const std::string source = folder.Path("counting.mov");
  testing::WriteBytes(source, testing::ReadBytes(MovieFixture("counting.mov")));
  const std::vector<uint8_t> original = testing::ReadBytes(source);
  auto window = std::make_unique<CQuickTimeWnd>(false);
  ASSERT_TRUE(window->Create(owner.m_hWnd));
  ASSERT_TRUE(window->OpenFile(source));
  window->SetSelection(10, 20);

  const std::string part = folder.Path("part.mov");
  ASSERT_TRUE(window->SaveSelection(part));
  EXPECT_TRUE(window->Movie().Opened()) << "another file: the movie stays";
  EXPECT_EQ(testing::ReadBytes(source), original);
  {
    CQuickTime saved;
    ASSERT_TRUE(saved.OpenMovie(part)) << "the system reads what was written";
    EXPECT_EQ(saved.CountFrames(saved.GetMovie()), 10);
    EXPECT_EQ(saved.Duration(), 600) << "one second";
    EXPECT_EQ(saved.Box().right, 320);
    EXPECT_EQ(saved.Box().bottom, 240);
  }
  // Targets that cannot be written, or whose name is past the limit: false, nothing changes.
  for (const std::string& target :
       {folder.Path("no such folder\\part.mov"), folder.Path(std::string(300, 'n') + ".mov")}) {
    EXPECT_FALSE(window->SaveSelection(target));
  }
  EXPECT_EQ(testing::ReadBytes(source), original);
  // The writer keeps pictures only: a movie with sound is refused rather than saved silent.
  auto sound = std::make_unique<CQuickTimeWnd>(false);
  ASSERT_TRUE(sound->Create(owner.m_hWnd) && sound->OpenFile(MovieFixture("sound.mov")));
  const std::vector<uint8_t> saved = testing::ReadBytes(part);
  EXPECT_FALSE(sound->SaveSelection(part));
  EXPECT_EQ(testing::ReadBytes(part), saved);

  // Onto the movie being played: it is let go, then replaced by the whole new movie.
  ASSERT_TRUE(window->SaveSelection(source));
  EXPECT_FALSE(window->Movie().Opened());
  EXPECT_EQ(window->Movie().CountFramesOfFile(source), 10);
  window.reset();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(folder.Path("gli*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file left behind";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(QuickTimeTest, ThePlayerPlaysMovFilesInTheMovieWindow) {
  CMediaPlayer player;
  player.ShowControls(false);
  ASSERT_TRUE(player.Open(MovieFixture("counting.mov"), owner.m_hWnd, RECT{10, 10, 170, 130}));
  EXPECT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::MovieWindow);
  ASSERT_NE(player.MovieWindow(), nullptr);
  EXPECT_EQ(::GetParent(player.MovieWindow()), player.m_hWnd);
  EXPECT_TRUE(player.ReportsEnd());
  EXPECT_EQ(player.GetLength(), kCountingUnits) << "movie units, 600 a second";
  EXPECT_EQ(player.GetFrameCount(), 30);
  EXPECT_NEAR(player.GetFrameRate(), 10.0, 0.01);
  EXPECT_EQ(player.LengthMilliseconds(), 3000);
  EXPECT_FALSE(player.HasAudio());
  player.SetSelection(25, 30);
  ASSERT_TRUE(PumpUntil([&] { return owner.playerDone > 0; }, 10000));
  PumpFor(500);
  EXPECT_EQ(owner.playerDone, 1) << "the window's report passed on once";
  EXPECT_EQ(owner.windowDone, 0) << "the player keeps the window's own message";
  player.Close();
  EXPECT_EQ(player.MovieWindow(), nullptr);

  // A ".mov" that does not open leaves no window: the show then moves on after its delay.
  EXPECT_FALSE(player.Open(MovieFixture("missing.mov"), owner.m_hWnd, RECT{10, 10, 170, 130}));
  EXPECT_EQ(player.m_hWnd, nullptr);
}

// Phone videos play in the movie library's window where the library reads them, else in the
// graph (under Wine the library refuses H.264); either tells their length and their end. A cut
// clip and noise under the name reach neither.
TEST_F(QuickTimeTest, PhoneVideosPlayInTheLibraryOrElseInTheGraph) {
  for (const auto& [name, sound] : {std::pair{"phone.mp4", false}, {"phone-sound.mp4", true}}) {
    SCOPED_TRACE(name);
    const bool libraryReads = PrepareMovie(MovieFixture(name), EngineRoute::QuickTime, PrepareFor::SizeOnly)->playable;
    CMediaPlayer player;
    player.ShowControls(false);
    owner.Reset();
    ASSERT_TRUE(player.Open(MovieFixture(name), owner.m_hWnd, RECT{10, 10, 170, 130}));
    EXPECT_EQ(player.CurrentEngine(), libraryReads ? CMediaPlayer::Engine::MovieWindow : CMediaPlayer::Engine::Graph);
    // Two seconds of pictures; the sound track runs on a little (the encoder's priming).
    EXPECT_GE(player.LengthMilliseconds(), 1950);
    EXPECT_LE(player.LengthMilliseconds(), 2250);
    if (sound) {
      // Heard only where the system has a sound device and the decoder; the clip plays either way.
      std::printf("%s: %s\n", name, player.HasAudio() ? "its sound plays" : "its sound is not rendered here");
      player.SetMute(true);
    } else {
      EXPECT_FALSE(player.HasAudio());
    }
    ASSERT_TRUE(PumpUntil([&] { return owner.playerDone > 0; }, 10000)) << "its end is told";
    player.Close();
  }
  // The portrait H.264 clip: upright where the library plays it, as stored by the graph.
  const auto portrait = PrepareMovie(MovieFixture("portrait.mp4"), RouteFor("portrait.mp4"), PrepareFor::SizeOnly);
  ASSERT_TRUE(portrait->playable);
  const bool upright = portrait->route == EngineRoute::QuickTime;
  EXPECT_EQ(portrait->width, upright ? 240 : 320);
  EXPECT_EQ(portrait->height, upright ? 320 : 240);

  testing::TempFolder folder;
  std::vector<uint8_t> cut = testing::ReadBytes(MovieFixture("phone.mp4"));
  cut.resize(cut.size() / 2);
  testing::WriteBytes(folder.Path("cut.mp4"), cut);
  testing::WriteBytes(folder.Path("noise.mp4"), std::vector<uint8_t>(4000, 0xA7));
  // The clip keeps its movie atom at its head (as phones write it): cut, it plays what is left.
  CMediaPlayer player;
  owner.Reset();
  if (player.Open(folder.Path("cut.mp4"), owner.m_hWnd, RECT{10, 10, 170, 130})) {
    EXPECT_TRUE(PumpUntil([&] { return owner.playerDone > 0; }, 10000)) << "the cut clip's end is told";
    player.Close();
  }
  // A clip the library reads (JPEG frames, recorded turned) takes the library's route, upright.
  testing::WriteBytes(folder.Path("turned.m4v"), testing::ReadBytes(MovieFixture("portrait.mov")));
  const auto turned = PrepareMovie(folder.Path("turned.m4v"), RouteFor("turned.m4v"), PrepareFor::Playing);
  EXPECT_TRUE(turned->playable);
  EXPECT_EQ(turned->route, EngineRoute::QuickTime);
  EXPECT_EQ(turned->width, 240);
  EXPECT_EQ(turned->height, 320);
  EXPECT_FALSE(PrepareMovie(folder.Path("noise.mp4"), RouteFor("noise.mp4"), PrepareFor::Playing)->playable);
  EXPECT_FALSE(player.Open(folder.Path("noise.mp4"), owner.m_hWnd, RECT{0, 0, 160, 120}));
  EXPECT_EQ(player.m_hWnd, nullptr);
}

// A movie recorded turned stands upright in the movie window: its size is the turned one, and
// the test pattern's bars, left to right along its top as stored, run down its right side.
TEST_F(QuickTimeTest, ATurnedMovieStandsUprightInTheMovieWindow) {
  const std::string path = MovieFixture("portrait.mov");
  int width = 0;
  int height = 0;
  ASSERT_TRUE(CMediaPlayer::GetMovieSize(path, width, height));
  EXPECT_EQ(width, 240);
  EXPECT_EQ(height, 320);
  const auto asStored = PrepareMovie(path, EngineRoute::QuickTime, PrepareFor::SizeOnly, MovieTurning::AsStored);
  EXPECT_EQ(asStored->width, 320);
  EXPECT_EQ(asStored->height, 240);

  CMediaPlayer player;
  player.ShowControls(false);
  ASSERT_TRUE(player.Open(path, owner.m_hWnd, RECT{0, 0, 120, 160}));
  ASSERT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::MovieWindow);
  // Shown at half size: the stored top row's first bar (white) at the top right, its last (blue)
  // at the bottom right; the bars fill the stored picture's top two thirds, the right side here.
  EXPECT_TRUE(PumpUntil([] { return Near(ScreenPixel(110, 10), 0xFFFFFF, 40); }, 5000))
      << std::hex << ScreenPixel(110, 10);
  EXPECT_TRUE(Near(ScreenPixel(110, 150), 0x0000FF, 40)) << std::hex << ScreenPixel(110, 150);
  player.Close();
}

}  // namespace
}  // namespace glintora
