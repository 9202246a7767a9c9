// The movie player on the bench's display with the system's real DirectShow, MCI window and
// AVI file functions, playing uncompressed AVIs written by the test (video only, and one with
// a sound track): what it reports to its owner and when, what it tells about a movie, the
// fall-back to the MCI window, and saving a frame range.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "../core/avi_writer.h"
#include "../core/fixtures.h"
#include "graphless_player.h"
#include "res/resource.h"
#include "test_window.h"
#include "win/framework/wnd.h"
#include "win/media/files/avi_file.h"
#include "win/media/player/media_player.h"
#include "window_capture.h"
// After the framework: it defines macros that clash with the framework's names.
#include <vfw.h>

namespace glintora {
namespace {

using testing::AviRecipe;
using testing::SolidAvi;
using testing::TempFolder;

constexpr uint32_t kGreen = 0x20E040;
constexpr RECT kPlace{40, 30, 104, 78};  // a 64 × 48 movie at its own size

// The player's owner: counts what the player tells it and may act on an end report.
class Host : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  Host() {
    const char* type = RegisterWindowClass(0, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
    CreateEx(WS_EX_TOPMOST, type, "player host", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 150}, nullptr, 0);
  }
  ~Host() override { DestroyWindow(); }

  int ends = 0;
  int doubleClicks = 0;
  int clicks = 0;
  int moves = 0;
  WPARAM doubleClickWParam = 1;
  std::function<void()> onEnd;

  LRESULT OnEnd(WPARAM, LPARAM) {
    ++ends;
    if (onEnd) onEnd();
    return 0;
  }
  LRESULT OnDoubleClick(WPARAM wParam, LPARAM) {
    ++doubleClicks;
    doubleClickWParam = wParam;
    return 0;
  }
  LRESULT OnClick(WPARAM, LPARAM) {
    ++clicks;
    return 0;
  }
  LRESULT OnMove(WPARAM, LPARAM) {
    ++moves;
    return 0;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(Host, CWnd, OnMessage<&Host::OnEnd>(WM_PLAYER_DONE),
                     OnMessage<&Host::OnDoubleClick>(WM_LBUTTONDBLCLK), OnMessage<&Host::OnClick>(WM_LBUTTONDOWN),
                     OnMessage<&Host::OnMove>(WM_MOUSEMOVE))
// clang-format on

using testing::PumpFor;
using testing::PumpUntil;

uint32_t ScreenPixel(int x, int y) {
  auto shot = testing::CaptureArea(nullptr, x, y, 1, 1);
  const CvxColor8& p = shot->At(0, 0);
  return static_cast<uint32_t>(p.c[2]) << 16 | static_cast<uint32_t>(p.c[1]) << 8 | p.c[0];
}

using testing::GraphlessPlayer;

// A player that treats every file as a sound: the MCI window with mode notification.
class SoundPlayer : public CMediaPlayer {
 protected:
  EngineRoute Route(const std::string&) const override { return EngineRoute::Sound; }
};

// An engine that plays nothing, in the graph's place: it counts its destructions, stands
// still at frame 7 while it "plays", and tells its end when the player window gets kTellEnd.
constexpr UINT kTellEnd = WM_APP + 7;

class FakeEngine : public CPlayerEngine {
 public:
  FakeEngine(PlayerEngineHost& host, int& destroyed) : m_host(host), m_destroyed(destroyed) {}
  ~FakeEngine() override { ++m_destroyed; }

  PlayerEngineKind Kind() const override { return PlayerEngineKind::Graph; }
  HWND Window() const override { return nullptr; }
  bool OnMessage(UINT message, WPARAM, LPARAM) override {
    if (message != kTellEnd) return false;
    m_host.EngineEnded();
    return true;
  }
  bool Pause() override { return true; }
  bool Play() override { return true; }
  void SetRepeat(bool) override {}
  void SetFullScreenAllowed(bool) override {}
  void SetForwardMouse(bool) override {}
  void SuppressStepButtons() override {}
  void ToggleFullScreen() override {}
  void Move(int, int) override {}
  bool HasAudio() const override { return false; }
  std::optional<long> Volume() const override { return std::nullopt; }
  void SetMute(bool, std::optional<long>) override {}
  int64_t Length() override { return 1234; }
  int64_t LengthMilliseconds() override { return 567; }
  int64_t FrameCount() override { return 30; }
  int64_t FramePosition() override { return 7; }
  double FrameRate() override { return 25; }
  void SetSelection(int, int) override {}
  bool SaveSelection(const std::string&, int, int, const std::function<void()>&) override { return false; }
  bool Watched() const override { return true; }
  EngineProgress Progress() override { return {false, 7}; }

 private:
  PlayerEngineHost& m_host;
  int& m_destroyed;
};

// A player whose graph is the fake engine, opening as `opening` says.
class FakeEnginePlayer : public CMediaPlayer {
 public:
  int destroyed = 0;
  GraphResult opening = GraphResult::Playing;

 protected:
  GraphResult OpenGraph(const std::string&, const RECT&) override {
    UseEngine(std::make_unique<FakeEngine>(*this, destroyed));
    return opening;
  }
};

class MediaPlayerTest : public ::testing::Test {
 protected:
  // One owner for every test: a top-level window takes Wine seconds to go without a window
  // manager.
  static void SetUpTestSuite() { s_host = new Host; }
  static void TearDownTestSuite() {
    delete s_host;
    s_host = nullptr;
  }
  void SetUp() override {
    host.ends = host.doubleClicks = host.clicks = host.moves = 0;
    host.doubleClickWParam = 1;
    host.onEnd = nullptr;
  }
  void TearDown() override { host.onEnd = nullptr; }

  // A 64 × 48 movie of `frames` frames at 10 a second.
  std::string Movie(const std::string& name, int frames, uint32_t rgb = kGreen) {
    const std::string path = folder.Path(name);
    testing::WriteBytes(path, testing::EncodeAvi(SolidAvi(64, 48, 10, frames, rgb)));
    return path;
  }

  static Host* s_host;
  TempFolder folder;
  Host& host = *s_host;
};
Host* MediaPlayerTest::s_host = nullptr;

TEST_F(MediaPlayerTest, TellsSizeLengthAndFrames) {
  const std::string path = Movie("two seconds.avi", 20);
  int width = -1;
  int height = -1;
  EXPECT_TRUE(CMediaPlayer::GetMovieSize(path, width, height));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  // The AVI file functions alone tell the same, and leave the file free to be replaced.
  width = height = -1;
  EXPECT_TRUE(AviVideoSize(path, width, height));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  EXPECT_TRUE(MoveFileExA(path.c_str(), folder.Path("moved.avi").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(MoveFileExA(folder.Path("moved.avi").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));

  CMediaPlayer player;
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  EXPECT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::Graph);
  EXPECT_EQ(player.GetLength(), 20'000'000) << "100-ns units";
  EXPECT_EQ(player.GetFrameCount(), 20);
  EXPECT_EQ(player.LengthMilliseconds(), 2000);
  EXPECT_NEAR(player.GetFrameRate(), 10.0, 0.01);
  EXPECT_EQ(player.SelectionStart(), 0);
  EXPECT_EQ(player.SelectionEnd(), 20);
  EXPECT_EQ(player.FileName(), path);
  EXPECT_TRUE(player.ReportsEnd());
  EXPECT_EQ(GetDlgCtrlID(player.m_hWnd), static_cast<int>(kPlayerControlId));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(player.m_hWnd, GWL_STYLE)) & 0xFFFF0000u, 0x52000000u);
  player.Close();
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.m_hWnd, nullptr);
  EXPECT_EQ(player.GetLength(), -1);
  EXPECT_EQ(player.GetFrameRate(), -1);
}

// Whatever engine plays, the player forwards to it, posts its standing still and each end it
// tells to the owner once, withdraws an end still waiting when it closes, and lets the engine
// go exactly once, a failed one too.
TEST_F(MediaPlayerTest, ThePlayerForwardsToItsEngineAndReportsItsEnds) {
  const std::string path = Movie("fake.avi", 10);
  FakeEnginePlayer player;
  player.ShowControls(false);
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  EXPECT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::Graph);
  EXPECT_EQ(player.GetLength(), 1234);
  EXPECT_EQ(player.LengthMilliseconds(), 567);
  EXPECT_EQ(player.GetFramePosition(), 7);
  EXPECT_EQ(player.GetFrameRate(), 25);
  player.SetSelection(40, 3);
  EXPECT_EQ(player.SelectionStart(), 3);
  EXPECT_EQ(player.SelectionEnd(), 30) << "within the engine's frames";

  // Standing still at frame 7 is its end, told once.
  ASSERT_TRUE(PumpUntil([&] { return host.ends == 1; }, static_cast<DWORD>(kStallMs) + 2000));
  PumpFor(600);
  EXPECT_EQ(host.ends, 1);
  SendMessageA(player.m_hWnd, kTellEnd, 0, 0);
  EXPECT_EQ(host.ends, 1) << "posted, never sent from inside the engine's message";
  PumpFor(200);
  EXPECT_EQ(host.ends, 2);

  SendMessageA(player.m_hWnd, kTellEnd, 0, 0);
  player.Close();
  PumpFor(200);
  EXPECT_EQ(host.ends, 2) << "the end waiting at the close is withdrawn";
  EXPECT_EQ(player.destroyed, 1);
  EXPECT_EQ(player.GetLength(), -1);

  const struct {
    GraphOpening opening;
    CMediaPlayer::Engine then;
  } failures[] = {{GraphOpening::Abandoned, CMediaPlayer::Engine::None},
                  {GraphOpening::Failed, CMediaPlayer::Engine::Mci}};
  for (const auto& failure : failures) {
    FakeEnginePlayer failing;
    failing.ShowControls(false);
    failing.opening = failure.opening;
    EXPECT_EQ(failing.Open(path, host.m_hWnd, kPlace), failure.then != CMediaPlayer::Engine::None);
    EXPECT_EQ(failing.CurrentEngine(), failure.then);
    EXPECT_EQ(failing.destroyed, 1);
  }
}

TEST_F(MediaPlayerTest, WhatDoesNotOpenLeavesNoWindow) {
  testing::WriteBytes(folder.Path("noise.avi"), {'R', 'I', 'F', 'F', 1, 2, 3, 4, 5, 6, 7, 8});
  // Damaged ".mov" files are the movie window's tests.
  for (const char* name : {"noise.avi", "missing.avi", "missing.mov"}) {
    SCOPED_TRACE(name);
    int width = -1;
    int height = -1;
    EXPECT_FALSE(CMediaPlayer::GetMovieSize(folder.Path(name), width, height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    CMediaPlayer player;
    EXPECT_FALSE(player.Open(folder.Path(name), host.m_hWnd, kPlace));
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(player.m_hWnd, nullptr);
    EXPECT_EQ(FindWindowExA(host.m_hWnd, nullptr, nullptr, nullptr), nullptr);
  }
}

TEST_F(MediaPlayerTest, ShowsTheVideoInsideItsWindow) {
  CMediaPlayer player;
  player.ShowControls(false);
  ASSERT_TRUE(player.Open(Movie("green.avi", 20), host.m_hWnd, kPlace));
  EXPECT_TRUE(PumpUntil([] { return ScreenPixel(72, 54) == kGreen; }, 10000)) << "the middle of the movie";
  EXPECT_EQ(ScreenPixel(72, 54), kGreen);
  EXPECT_EQ(ScreenPixel(41, 31), kGreen) << "its top-left corner";
  EXPECT_EQ(ScreenPixel(103, 77), kGreen) << "its bottom-right corner";
  EXPECT_EQ(ScreenPixel(38, 54), 0u) << "black beside it";
  EXPECT_EQ(ScreenPixel(106, 54), 0u);
}

TEST_F(MediaPlayerTest, ReportsEachEndOnceAndNoneWhenRepeating) {
  const std::string path = Movie("one second.avi", 10);
  {
    CMediaPlayer player;
    ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
    ASSERT_TRUE(PumpUntil([&] { return host.ends > 0; }, 15000)) << "the end of a 1-s movie";
    PumpFor(1500);
    EXPECT_EQ(host.ends, 1) << "one report for one play";
    EXPECT_TRUE(player.IsOpen()) << "the owner decides when to close";
    EXPECT_EQ(player.GetFramePosition(), 0) << "rewound to the selection's start";
  }
  host.ends = 0;
  CMediaPlayer player;
  player.SetRepeat(true);
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  PumpFor(3500);
  EXPECT_EQ(host.ends, 0) << "a repeated movie never ends";
  EXPECT_TRUE(player.IsOpen());
  EXPECT_TRUE(player.Pause());
  EXPECT_TRUE(player.Play());
}

// Closing a playing movie at any moment of its frames comes back: the graph's clock must
// not sleep through its stop (seen as a hang in about one close in ten on a busy machine).
TEST_F(MediaPlayerTest, ClosingWhilePlayingAlwaysReturns) {
  const std::string path = Movie("closed early.avi", 30);
  CMediaPlayer player;
  for (DWORD playMs = 0; playMs < 400; playMs += 13) {
    ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
    PumpFor(playMs);
    const DWORD start = GetTickCount();
    player.Close();
    EXPECT_LT(GetTickCount() - start, 5000u) << "after " << playMs << " ms";
  }
}

TEST_F(MediaPlayerTest, TheOwnerMayCloseAndReopenOnTheEndReport) {
  const std::string path = Movie("short.avi", 5);
  CMediaPlayer player;
  int opened = 1;
  host.onEnd = [&] {
    player.Close();
    if (opened < 3 && player.Open(path, host.m_hWnd, kPlace)) ++opened;
  };
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  ASSERT_TRUE(PumpUntil([&] { return host.ends == 3; }, 20000));
  PumpFor(800);
  EXPECT_EQ(host.ends, 3) << "one report per play, none left over from a closed play";
  EXPECT_EQ(opened, 3);
}

TEST_F(MediaPlayerTest, FallsBackToTheMciWindowWhenTheGraphFails) {
  GraphlessPlayer player;
  player.ShowControls(false);
  const std::string path = Movie("two seconds.avi", 20);
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  EXPECT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::Mci);
  ASSERT_NE(player.MciWindow(), nullptr);
  EXPECT_EQ(::GetParent(player.MciWindow()), player.m_hWnd);
  RECT inside{};
  GetClientRect(player.m_hWnd, &inside);
  EXPECT_EQ(inside.right, 64);
  EXPECT_EQ(inside.bottom, 48);
  // A video in the MCI window does not tell its end itself: the player tells it once it stops.
  const DWORD opened = GetTickCount();
  EXPECT_TRUE(player.ReportsEnd());
  EXPECT_NEAR(static_cast<double>(player.LengthMilliseconds()), 2000, 100);
  EXPECT_EQ(player.GetFrameCount(), 20);
  EXPECT_NEAR(player.GetFrameRate(), 10.0, 0.5);
  EXPECT_TRUE(PumpUntil([] { return ScreenPixel(72, 54) == kGreen; }, 10000)) << "32-bit frames show";
  EXPECT_TRUE(PumpUntil([&] { return host.ends == 1; }, 10000)) << "its stop is its end";
  EXPECT_GE(GetTickCount() - opened, 1500u) << "not before the two seconds";
  player.Close();
  EXPECT_EQ(player.MciWindow(), nullptr);
  EXPECT_EQ(player.m_hWnd, nullptr);
}

// A movie with a sound track on the bench, whose sound devices are off: the graph renders its
// video and leaves the sound out (only some streams render, VFW_S_PARTIAL_RENDER), so the graph
// keeps it and tells its end. Where the graph fails, the MCI window plays it as it plays a
// silent one, to its last frame.
TEST_F(MediaPlayerTest, AMovieWithSoundPlaysWithoutSoundDevices) {
  AviRecipe recipe = SolidAvi(64, 48, 10, 20, kGreen);
  recipe.sound = {22050, 2, 440};
  const std::string path = folder.Path("with sound.avi");
  testing::WriteBytes(path, testing::EncodeAvi(recipe));
  // The system's AVI file functions find the sound track as written.
  AVIFileInit();
  PAVISTREAM sound = nullptr;
  ASSERT_EQ(AVIStreamOpenFromFileA(&sound, path.c_str(), streamtypeAUDIO, 0, OF_READ, nullptr), 0);
  WAVEFORMATEX format{};
  LONG formatSize = sizeof format;
  EXPECT_EQ(AVIStreamReadFormat(sound, 0, &format, &formatSize), 0);
  EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format.nChannels, 2);
  EXPECT_EQ(format.nSamplesPerSec, 22050u);
  EXPECT_EQ(format.wBitsPerSample, 16);
  EXPECT_EQ(AVIStreamLength(sound), 44100) << "two seconds";
  AVIStreamRelease(sound);
  AVIFileExit();
  {
    CMediaPlayer player;
    player.ShowControls(false);
    ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
    EXPECT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::Graph);
    EXPECT_EQ(player.LengthMilliseconds(), 2000);
    EXPECT_TRUE(PumpUntil([] { return ScreenPixel(72, 54) == kGreen; }, 10000)) << "the video shows";
    const DWORD start = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return host.ends > 0; }, 15000));
    EXPECT_GE(GetTickCount() - start, 1000u) << "the end comes after the movie has played";
  }
  GraphlessPlayer fallback;
  fallback.ShowControls(false);
  ASSERT_TRUE(fallback.Open(path, host.m_hWnd, kPlace));
  EXPECT_EQ(fallback.CurrentEngine(), CMediaPlayer::Engine::Mci);
  EXPECT_NEAR(static_cast<double>(fallback.LengthMilliseconds()), 2000, 100);
  EXPECT_TRUE(PumpUntil([] { return ScreenPixel(72, 54) == kGreen; }, 10000)) << "the video shows";
  const DWORD start = GetTickCount();
  EXPECT_TRUE(PumpUntil([&] { return fallback.GetFramePosition() >= 19; }, 10000)) << "it plays to its end";
  EXPECT_GE(GetTickCount() - start, 1000u);
}

TEST_F(MediaPlayerTest, TheMciWindowTellsTheEndOfASound) {
  SoundPlayer player;
  ASSERT_TRUE(player.Open(Movie("two seconds.avi", 20), host.m_hWnd, kPlace));
  EXPECT_EQ(player.CurrentEngine(), CMediaPlayer::Engine::Mci);
  EXPECT_TRUE(player.ReportsEnd());
  const DWORD start = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return host.ends > 0; }, 15000));
  EXPECT_GE(GetTickCount() - start, 1000u) << "not before the sound has played";
  PumpFor(1000);
  EXPECT_EQ(host.ends, 1);
  // Its stop while closing is no end of play.
  player.Close();
  PumpFor(300);
  EXPECT_EQ(host.ends, 1);
}

TEST_F(MediaPlayerTest, PassesTheMouseToItsOwner) {
  CMediaPlayer player;
  player.SetForwardMouse(true);
  player.SetFullScreenAllowed(false);
  ASSERT_TRUE(player.Open(Movie("green.avi", 50), host.m_hWnd, kPlace));
  SendMessageA(player.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageA(player.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(player.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(host.moves, 1);
  EXPECT_EQ(host.clicks, 1) << "a click on the movie counts as a click on the show";
  EXPECT_EQ(host.doubleClicks, 1);
  EXPECT_EQ(host.doubleClickWParam, 0u);
  player.SetForwardMouse(false);
  SendMessageA(player.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageA(player.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(host.moves, 1);
  EXPECT_EQ(host.clicks, 1);
}

TEST_F(MediaPlayerTest, SavesASelectionWithoutHarmingTheSource) {
  AviRecipe counting{16, 8, 10, 20, {}};
  counting.pixel = [](int frame, int, int) { return static_cast<uint32_t>(frame * 10) << 8; };
  const std::string path = folder.Path("counting.avi");
  testing::WriteBytes(path, testing::EncodeAvi(counting));
  const std::vector<uint8_t> original = testing::ReadBytes(path);

  CMediaPlayer player;
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  player.SetSelection(15, 5);  // given backwards
  EXPECT_EQ(player.SelectionStart(), 5);
  EXPECT_EQ(player.SelectionEnd(), 15);
  const std::string part = folder.Path("part.avi");
  ASSERT_TRUE(player.SaveSelection(part));
  EXPECT_TRUE(player.IsOpen()) << "another file: the movie plays on";
  EXPECT_EQ(testing::ReadBytes(path), original);
  {
    CMediaPlayer check;
    ASSERT_TRUE(check.Open(part, host.m_hWnd, kPlace));
    EXPECT_EQ(check.GetFrameCount(), 10);
  }
  // A target that cannot be written: false, and nothing changes.
  EXPECT_FALSE(player.SaveSelection(folder.Path("no such folder\\part.avi")));
  EXPECT_TRUE(player.IsOpen());
  EXPECT_EQ(testing::ReadBytes(path), original);

  // Onto the movie being played: it is let go, then replaced by the whole copy.
  ASSERT_TRUE(player.SaveSelection(path));
  EXPECT_FALSE(player.IsOpen());
  ASSERT_TRUE(player.Open(path, host.m_hWnd, kPlace));
  EXPECT_EQ(player.GetFrameCount(), 10);
  player.Close();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(folder.Path("gli*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file left behind";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(MediaPlayerTest, TheControlBarDrivesTheMovie) {
  // A 3-s movie in a 200 × 80 player at (0, 40) of the owner: the bar along its bottom.
  const RECT place{0, 40, 200, 120};
  CMediaPlayer player;
  ASSERT_TRUE(player.Open(Movie("three seconds.avi", 30), host.m_hWnd, place));
  const UINT ids[] = {kPlayButtonId, kSeekBarId, kMuteButtonId};
  const RECT expected[] = {{0, 64, 17, 80}, {24, 64, 176, 80}, {183, 64, 200, 80}};
  for (int i = 0; i < 3; ++i) {
    HWND control = GetDlgItem(player.m_hWnd, static_cast<int>(ids[i]));
    ASSERT_NE(control, nullptr) << ids[i];
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, player.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, expected[i].left) << ids[i];
    EXPECT_EQ(r.top, expected[i].top) << ids[i];
    EXPECT_EQ(r.right, expected[i].right) << ids[i];
    EXPECT_EQ(r.bottom, expected[i].bottom) << ids[i];
  }
  for (UINT id : {kPlayButtonId, kMuteButtonId}) {
    EXPECT_EQ(GetWindowLongA(GetDlgItem(player.m_hWnd, static_cast<int>(id)), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  }
  EXPECT_TRUE(player.SeekBar().IsEnabled()) << "the graph seeks";
  EXPECT_EQ(player.PlayButton().BitmapId(), static_cast<UINT>(IDB_PAUSE)) << "playing";

  // The buttons' pictures reach the screen without their transparent colour.
  PumpFor(300);
  EXPECT_EQ(ScreenPixel(1, 40 + 65), 0x28282Cu) << "the play button's face where its picture is transparent";
  EXPECT_GT(ScreenPixel(6, 40 + 72) & 0xFF, 0xC0u) << "a bar of the pause picture";
  EXPECT_NE(ScreenPixel(120, 40 + 72), 0u) << "the channel spans the seek bar";

  // The seek bar follows the movie.
  ASSERT_TRUE(PumpUntil([&] { return player.SeekBar().GetPosition() > 1000; }, 10000));

  // The play button pauses and plays again.
  HWND playButton = GetDlgItem(player.m_hWnd, kPlayButtonId);
  SendMessageA(playButton, BM_CLICK, 0, 0);
  EXPECT_EQ(player.PlayButton().BitmapId(), static_cast<UINT>(IDB_PLAY));
  const int64_t pausedAt = player.GetFramePosition();
  PumpFor(500);
  EXPECT_EQ(player.GetFramePosition(), pausedAt) << "paused";
  SendMessageA(playButton, BM_CLICK, 0, 0);
  EXPECT_EQ(player.PlayButton().BitmapId(), static_cast<UINT>(IDB_PAUSE));

  // The mute button toggles the shared state and its picture.
  const bool muted = CMediaPlayer::SharedMute();
  HWND muteButton = GetDlgItem(player.m_hWnd, kMuteButtonId);
  SendMessageA(muteButton, BM_CLICK, 0, 0);
  EXPECT_EQ(CMediaPlayer::SharedMute(), !muted);
  EXPECT_EQ(player.MuteButton().BitmapId(), static_cast<UINT>(muted ? IDB_SOUND_ON : IDB_SOUND_OFF));
  SendMessageA(muteButton, BM_CLICK, 0, 0);
  EXPECT_EQ(CMediaPlayer::SharedMute(), muted);

  // Dragging the thumb to the bar's middle seeks to the movie's middle and plays on from there.
  HWND seekBar = GetDlgItem(player.m_hWnd, kSeekBarId);
  SendMessageA(seekBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8));
  SendMessageA(seekBar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(76, 8));
  SendMessageA(seekBar, WM_LBUTTONUP, 0, MAKELPARAM(76, 8));
  PumpFor(100);
  EXPECT_NEAR(static_cast<double>(player.GetFramePosition()), 15, 4) << "the middle of 30 frames";
  EXPECT_FALSE(player.SeekBar().Dragging());

  // At the end: rewound, the play button ready to play again, the end reported.
  ASSERT_TRUE(PumpUntil([&] { return host.ends > 0; }, 15000));
  EXPECT_EQ(player.PlayButton().BitmapId(), static_cast<UINT>(IDB_PLAY));
  EXPECT_EQ(player.SeekBar().GetPosition(), 0);
  player.Close();
  EXPECT_EQ(GetDlgItem(host.m_hWnd, kPlayerControlId), nullptr);
}

}  // namespace
}  // namespace glintora
