// The slide-show window in this process on the test bench's display: the first picture
// comes without a transition, the next ones through a transition on the worker; closing
// stops a running transition; a folder with nothing to show fails creation, and one where
// nothing loads shows black and keeps its timer; a preview whose parent goes while its
// player's handler runs is deleted only after that handler.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "../core/avi_writer.h"
#include "../core/fixtures.h"
#include "graphless_player.h"
#include "core/base/random.h"
#include "core/loaders/raw_loader.h"
#include "core/show/shuffle_cycle.h"
#include "win/platform/registry_profile_store.h"
#include "win/show/draw_wnd.h"
#include "test_window.h"
#include "window_capture.h"

namespace glintora {
namespace {

using testing::CaptureWindow;
using testing::TempFolder;

constexpr const char* kTestKey = "Software\\glintora-tests\\slide-show";
constexpr int kWidth = 200;
constexpr int kHeight = 150;

void WriteSolidBmp(const std::string& path, int width, int height, uint32_t rgb) {
  testing::BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.rows.assign(static_cast<size_t>(height), std::vector<uint32_t>(static_cast<size_t>(width), rgb));
  testing::WriteBytes(path, testing::EncodeBmp(recipe));
}

// Serves this thread's messages until `done` holds or `limitMs` have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
  return true;
}

uint32_t PixelAt(HWND window, int x, int y) {
  auto shot = CaptureWindow(window, kWidth, kHeight);
  const CvxColor8& p = shot->At(x, y);
  return static_cast<uint32_t>(p.c[2]) << 16 | static_cast<uint32_t>(p.c[1]) << 8 | p.c[0];
}

// A show whose movies go to a player without the DirectShow engine: each plays in the MCI
// window, which does not report the end of a video.
class MciOnlyShow : public CDrawWnd {
 public:
  MciOnlyShow(int autoDelete, ProfileStore& settings) : CDrawWnd(autoDelete, settings) {
    m_mciPlayer.SetForwardMouse(true);
    m_mciPlayer.ShowControls(false);
  }

 protected:
  CMediaPlayer& Player() override { return m_mciPlayer; }
  testing::GraphlessPlayer m_mciPlayer;
};

class SlideShowWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

  // Settings for a show of `folder` in list order, only the cross-fade enabled.
  void Configure(const char* delay, const char* duration) {
    std::string path = folder.Path("");
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    store.WriteProfileString("", "Directory", path);
    store.WriteProfileInt("", "Random", 0);
    store.WriteProfileInt("", "Transition", 1);
    store.WriteProfileString("", "Delay", delay);
    store.WriteProfileString("", "Transition Duration", duration);
    std::vector<uint8_t> usage(kTransitionCount, 0);
    usage[0] = 1;
    store.WriteProfileBinary("", "Usage", usage);
  }

  // Red picture, a one-second green movie shown as large as fits, blue picture.
  void PictureMoviePicture(const char* delay, bool garbageMovie = false) {
    WriteSolidBmp(folder.Path("1.bmp"), 40, 30, 0xC00000);
    if (garbageMovie) {
      testing::WriteBytes(folder.Path("2.avi"), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '});
    } else {
      testing::WriteBytes(folder.Path("2.avi"), testing::EncodeAvi(testing::SolidAvi(64, 48, 10, 10, 0x20E040)));
    }
    WriteSolidBmp(folder.Path("3.bmp"), 40, 30, 0x0000C0);
    Configure(delay, "0.3");
    store.WriteProfileInt("", "Play Movies", 1);
    store.WriteProfileString("", "Movie Zoom", "Fullscreen");
  }

  // How long the show stayed on the movie: from the red picture's end to the blue picture.
  DWORD MovieTime(CDrawWnd& window) {
    EXPECT_TRUE(PumpUntil([&] { return PixelAt(window.m_hWnd, 100, 75) != 0xC00000u; }, 10000));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(PumpUntil([&] { return PixelAt(window.m_hWnd, 100, 75) == 0x0000C0u; }, 20000));
    return GetTickCount() - start;
  }

  int Open(CDrawWnd& window) {
    return window.Create(WS_EX_TOPMOST, "slide show test", WS_POPUP | WS_VISIBLE, RECT{0, 0, kWidth, kHeight},
                         nullptr, 0);
  }

  RegistryProfileStore store{kTestKey};
  TempFolder folder;
};

TEST_F(SlideShowWindowTest, FirstPictureComesAtOnceTheNextThroughATransition) {
  WriteSolidBmp(folder.Path("1.bmp"), 160, 120, 0xC00000);  // red, stands at (20, 15)
  WriteSolidBmp(folder.Path("2.bmp"), 100, 150, 0x0000C0);  // blue, stands at (50, 0)
  Configure("0.3", "1.5");
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0);
  EXPECT_FALSE(window.TransitionRunning()) << "the first picture has nothing to come from";
  ASSERT_NE(window.Composition().m_frame, nullptr);
  EXPECT_EQ(window.Composition().m_frameX, 20);
  EXPECT_EQ(window.Composition().m_frameY, 15);
  PumpUntil([] { return false; }, 100);  // let the first paint through
  EXPECT_EQ(PixelAt(window.m_hWnd, 100, 75), 0xC00000u);
  EXPECT_EQ(PixelAt(window.m_hWnd, 10, 75), 0u) << "black around the picture";

  // After the delay the blue picture arrives through the worker's cross-fade.
  ASSERT_TRUE(PumpUntil([&] { return window.TransitionRunning(); }, 10000));
  EXPECT_EQ(window.Composition().m_frameX, 20) << "canvas 160 × 150 for both pictures";
  EXPECT_EQ(window.Composition().m_frameY, 0);
  ASSERT_TRUE(PumpUntil([&] { return !window.TransitionRunning(); }, 15000));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(PixelAt(window.m_hWnd, 100, 75), 0x0000C0u);
  EXPECT_EQ(PixelAt(window.m_hWnd, 30, 75), 0u);
  SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(window.m_hWnd, nullptr);
}

TEST_F(SlideShowWindowTest, ClosingStopsARunningTransition) {
  WriteSolidBmp(folder.Path("1.bmp"), 64, 64, 0x00C000);
  WriteSolidBmp(folder.Path("2.bmp"), 64, 64, 0xC0C000);
  Configure("0.1", "60");
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0);
  ASSERT_TRUE(PumpUntil([&] { return window.TransitionRunning(); }, 10000));
  PumpUntil([] { return false; }, 200);
  const DWORD start = GetTickCount();
  SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
  // A minute-long transition ends at its next step, far within this bound.
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_EQ(window.m_hWnd, nullptr);
  EXPECT_FALSE(window.TransitionRunning());
}

TEST_F(SlideShowWindowTest, NothingToShowFailsCreation) {
  testing::WriteBytes(folder.Path("notes.txt"), {'h', 'i'});
  Configure("0.1", "1");
  CDrawWnd window(0, store);
  EXPECT_EQ(Open(window), 0);
  EXPECT_TRUE(window.Media().Empty());
  window.DestroyWindow();
}

TEST_F(SlideShowWindowTest, NothingLoadableShowsBlackAndKeepsTheTimer) {
  testing::WriteBytes(folder.Path("a.jpg"), {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
  testing::WriteBytes(folder.Path("b.png"), {1, 2, 3});
  Configure("0.05", "1");
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0) << "the list is not empty";
  EXPECT_EQ(window.Composition().m_frame, nullptr);
  // The show keeps ticking (each tick tries the list once more) and the window answers.
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(PixelAt(window.m_hWnd, 100, 75), 0u);
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutA(window.m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);
  window.DestroyWindow();
}

TEST_F(SlideShowWindowTest, ShuffledShowsTryEveryDistinctItemBeforeGivingUp) {
  // With one good picture among bad files, every change must find it, however the
  // shuffles fall: a new cycle may bring the bad files back before the good one is tried.
  testing::WriteBytes(folder.Path("bad1.jpg"), {'n', 'o', 'p', 'e'});
  testing::WriteBytes(folder.Path("bad2.png"), {1, 2, 3});
  WriteSolidBmp(folder.Path("good.bmp"), 40, 30, 0x00C000);
  Configure("60", "1");
  store.WriteProfileInt("", "Random", 1);
  store.WriteProfileInt("", "Transition", 0);
  SeedRandom(1);
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0);
  int blackFrames = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SeedRandom(seed);
    for (int change = 0; change < 10; ++change) {
      window.Advance();
      window.ShowCurrent();
      if (!window.Composition().m_frame) ++blackFrames;
    }
  }
  EXPECT_EQ(blackFrames, 0);
  window.DestroyWindow();
}

// One good picture among files that hold none: a JPEG cut early whose header claims a giant
// picture (decoded ahead at 1/8 it once came as a black picture), a damaged TIFF on which an
// older RAW library overflowed a buffer, and junk. Whatever the order, every change shows
// the good picture, and no file reaches the RAW library.
TEST_F(SlideShowWindowTest, FilesWithoutAPictureNeverBlackOutTheGoodOne) {
  WriteSolidBmp(folder.Path("good.bmp"), 40, 30, 0x00C000);
  testing::WriteBytes(folder.Path("giant.jpg"), testing::CutGiantJpeg());
  const std::vector<uint8_t> finding = testing::ReadFinding("raw/libraw-identify-overflow.tif");
  ASSERT_FALSE(finding.empty());
  testing::WriteBytes(folder.Path("found.tif"), finding);
  testing::WriteBytes(folder.Path("junk.png"), {1, 2, 3});
  Configure("1", "1");
  store.WriteProfileInt("", "Transition", 0);
  const int64_t handedToRaw = DCRaw::FilesHandedToLibrary();
  for (const bool ahead : {true, false}) {
    for (const bool random : {false, true}) {
      store.WriteProfileInt("", "Decode Ahead", ahead ? 1 : 0);
      store.WriteProfileInt("", "Random", random ? 1 : 0);
      SeedRandom(3);
      CDrawWnd window(0, store);
      ASSERT_NE(Open(window), 0);
      for (int change = 0; change < 12; ++change) {
        if (change > 0) {
          window.Advance();
          window.ShowCurrent();
        }
        const auto* frame = dynamic_cast<const CvxImageColor8*>(window.Composition().m_frame.get());
        ASSERT_NE(frame, nullptr) << "ahead " << ahead << ", random " << random << ", change " << change;
        const CvxColor8& centre = frame->At(frame->m_width / 2, frame->m_height / 2);
        const uint32_t rgb = uint32_t{centre.Red()} << 16 | uint32_t{centre.Green()} << 8 | centre.Blue();
        EXPECT_EQ(rgb, 0x00C000u)
            << "ahead " << ahead << ", random " << random << ", change " << change;
      }
      window.DestroyWindow();
    }
  }
  EXPECT_EQ(DCRaw::FilesHandedToLibrary(), handedToRaw);
}

TEST_F(SlideShowWindowTest, AfterABlackFrameTheNextPictureComesFromTheBlackWindow) {
  WriteSolidBmp(folder.Path("1.bmp"), 40, 30, 0xC00000);
  Configure("60", "60");
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0);
  EXPECT_EQ(window.Composition().m_frameX, 80) << "a 40-pixel canvas in the 200-pixel window";
  // The file breaks: nothing loads, the window goes black.
  testing::WriteBytes(folder.Path("1.bmp"), {'B', 'M'});
  window.Advance();
  window.ShowCurrent();
  EXPECT_EQ(window.Composition().m_frame, nullptr);
  // It is mended: the transition runs on a canvas covering the black window.
  WriteSolidBmp(folder.Path("1.bmp"), 40, 30, 0x0000C0);
  window.Advance();
  window.ShowCurrent();
  EXPECT_TRUE(window.TransitionRunning());
  EXPECT_EQ(window.Composition().m_frameX, 0);
  EXPECT_EQ(window.Composition().m_frame->m_width, kWidth);
  SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
}

// What each change composed: the frame's position and pixels; empty for a movie or black.
std::vector<std::vector<uint8_t>> ChangeFrames(RegistryProfileStore& store, const std::function<int(CDrawWnd&)>& open,
                                               bool ahead, int changes) {
  store.WriteProfileInt("", "Decode Ahead", ahead ? 1 : 0);
  SeedRandom(5);
  CDrawWnd window(0, store);
  std::vector<std::vector<uint8_t>> frames;
  if (open(window) == 0) return frames;
  for (int change = 0; change <= changes; ++change) {
    if (change > 0) {
      window.Advance();
      window.ShowCurrent();
    }
    std::vector<uint8_t> frame;
    if (const CvxImage* image = window.Composition().m_frame.get()) {
      const auto* bits = static_cast<const uint8_t*>(image->GetBits());
      frame.assign(bits, bits + static_cast<size_t>(image->GetStride()) * image->m_height);
      frame.push_back(static_cast<uint8_t>(window.Composition().m_frameX));
      frame.push_back(static_cast<uint8_t>(window.Composition().m_frameY));
    }
    frames.push_back(std::move(frame));
  }
  window.DestroyWindow();
  return frames;
}

TEST_F(SlideShowWindowTest, DecodingAheadComposesTheSameFramesInTheSameOrder) {
  const uint32_t colours[] = {0xC00000, 0x00C000, 0x0000C0, 0xC0C000, 0x00C0C0};
  for (int i = 0; i < 5; ++i) WriteSolidBmp(folder.Path("p" + std::to_string(i) + ".bmp"), 40 + 10 * i, 30 + 7 * i, colours[i]);
  testing::WriteBytes(folder.Path("p2-bad.jpg"), {0xFF, 0xD8, 0xFF, 0, 0});
  testing::WriteBytes(folder.Path("p3-clip.avi"), {'R', 'I', 'F', 'F', 0, 0, 0, 0});
  Configure("60", "1");
  store.WriteProfileInt("", "Transition", 0);
  store.WriteProfileInt("", "Play Movies", 1);
  for (const bool random : {false, true}) {
    store.WriteProfileInt("", "Random", random ? 1 : 0);
    const auto open = [this](CDrawWnd& window) { return Open(window); };
    const auto ahead = ChangeFrames(store, open, true, 16);
    const auto due = ChangeFrames(store, open, false, 16);
    ASSERT_EQ(ahead.size(), 17u);
    EXPECT_TRUE(ahead == due) << (random ? "shuffled" : "in list order");
    EXPECT_TRUE(std::any_of(ahead.begin(), ahead.end(), [](const auto& f) { return f.empty(); })) << "the movie came";
  }
}

TEST_F(SlideShowWindowTest, ClosingDuringASlowDecodeAheadEndsPromptly) {
  WriteSolidBmp(folder.Path("1.bmp"), 40, 30, 0xC00000);
  CvxImageColor8 tall(24, 600, true);
  tall.FillRect(0, 0, 24, 600, CvxColor8(10, 200, 30));
  ASSERT_TRUE(testing::WriteDng(tall, folder.Path("2.nef")));
  Configure("60", "1");
  // Every row of the camera file takes 20 ms: twelve seconds unless the decode is stopped.
  CvxRawParams slow;
  slow.m_progress = [](void*) {
    Sleep(20);
    return true;
  };
  CDrawWnd window(0, store);
  window.m_rawParams = &slow;
  ASSERT_NE(Open(window), 0);
  ASSERT_TRUE(window.Prefetching()) << "the camera file is loading ahead";
  PumpUntil([] { return false; }, 300);
  const DWORD start = GetTickCount();
  SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
  // Wine takes about 2 s to let a top-level window go; the decode would take 12.
  EXPECT_LT(GetTickCount() - start, 6000u);
  EXPECT_EQ(window.m_hWnd, nullptr);
}

// Only the full-screen show keeps its shuffle (the runs that go on from it are tested end to
// end), and only with "Resume Shuffle" on.
TEST_F(SlideShowWindowTest, OnlyTheFullScreenShowKeepsItsShuffle) {
  WriteSolidBmp(folder.Path("1.bmp"), 40, 30, 0xC00000);
  Configure("60", "1");
  store.WriteProfileInt("", "Random", 1);
  const auto keeps = [&](bool fullScreen, DWORD resume) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kTestKey, kShuffleCycleValue);
    store.WriteProfileInt("", "Resume Shuffle", static_cast<int>(resume));
    CDrawWnd window(0, store);
    window.m_keepsShuffle = fullScreen;
    EXPECT_NE(Open(window), 0);
    window.DestroyWindow();
    return LoadCycleState(store).has_value();
  };
  EXPECT_TRUE(keeps(true, 1));
  EXPECT_FALSE(keeps(false, 1)) << "a preview";
  EXPECT_FALSE(keeps(true, 0)) << "Resume Shuffle off";
}

TEST_F(SlideShowWindowTest, PreviewChildFitsThePictureToItsParent) {
  WriteSolidBmp(folder.Path("1.bmp"), 300, 700, 0x0000C0);
  Configure("3", "1");
  testing::TestWindow parentWindow(600, 500, kWidth, kHeight);
  HWND parent = parentWindow.Handle();
  ASSERT_NE(parent, nullptr);
  auto* preview = new CDrawWnd(1, store);  // self-owned, as the preview is
  ASSERT_NE(preview->Create(0, "Preview", WS_CHILD | WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, parent, 0), 0);
  HWND child = preview->m_hWnd;
  // 300 × 700 shrunk by 150 / 700 to 64 × 150, standing at x = 68.
  EXPECT_EQ(preview->Composition().m_frameX, 68);
  EXPECT_EQ(preview->Composition().m_frameY, 0);
  EXPECT_DOUBLE_EQ(preview->Composition().m_previewScale, kWidth / static_cast<double>(GetSystemMetrics(SM_CXSCREEN)));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(PixelAt(child, 100, 75), 0x0000C0u);
  EXPECT_EQ(PixelAt(child, 67, 75), 0u);
  EXPECT_EQ(PixelAt(child, 132, 75), 0u);
  // Destroying the parent takes the preview with it; the object deletes itself.
  parentWindow.Destroy();
  EXPECT_FALSE(IsWindow(child));
}

// A self-owned preview whose player, inside one of its handlers, sees the preview's parent
// destroyed, as a message served while the player waits for its graph may.
constexpr UINT kDestroyTheParent = WM_APP + 7;
class PreviewWithHookedPlayer : public CDrawWnd {
 public:
  explicit PreviewWithHookedPlayer(ProfileStore& settings) : CDrawWnd(kDeletesItself, settings) {}
  ~PreviewWithHookedPlayer() override { s_deleted = true; }
  static inline bool s_deleted = false;
  static inline bool s_deletedInsideTheHandler = false;

 protected:
  class HookedPlayer : public CMediaPlayer {
    GLINTORA_DECLARE_MESSAGE_MAP()
   public:
    LRESULT OnDestroyTheParent(WPARAM, LPARAM) {
      ::DestroyWindow(::GetParent(GetOwner()));
      s_deletedInsideTheHandler = s_deleted;
      return 0;
    }
  };
  CMediaPlayer& Player() override { return m_hookedPlayer; }
  HookedPlayer m_hookedPlayer;
};
// clang-format off
GLINTORA_MESSAGE_MAP(PreviewWithHookedPlayer::HookedPlayer, CMediaPlayer,
                     OnMessage<&PreviewWithHookedPlayer::HookedPlayer::OnDestroyTheParent>(kDestroyTheParent))
// clang-format on

TEST_F(SlideShowWindowTest, APreviewGoneInsideItsPlayersHandlerIsDeletedAfterThatHandler) {
  testing::WriteBytes(folder.Path("1.avi"), testing::EncodeAvi(testing::SolidAvi(64, 48, 10, 100, 0x20E040)));
  Configure("3", "0.3");
  store.WriteProfileInt("", "Play Movies", 1);
  testing::TestWindow parentWindow(600, 500, kWidth, kHeight);
  PreviewWithHookedPlayer::s_deleted = PreviewWithHookedPlayer::s_deletedInsideTheHandler = false;
  auto* preview = new PreviewWithHookedPlayer(store);
  ASSERT_NE(preview->Create(0, "Preview", WS_CHILD | WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, parentWindow.Handle(), 0),
            0);
  HWND player = nullptr;  // once the movie is prepared
  PumpUntil([&] { return (player = GetDlgItem(preview->m_hWnd, kPlayerControlId)) != nullptr; }, 10000);
  ASSERT_NE(player, nullptr) << "the movie plays";
  SendMessageA(player, kDestroyTheParent, 0, 0);
  EXPECT_FALSE(IsWindow(player));
  EXPECT_FALSE(PreviewWithHookedPlayer::s_deletedInsideTheHandler) << "the player's handler ran on in freed memory";
  EXPECT_TRUE(PreviewWithHookedPlayer::s_deleted) << "deleted once the player's handler returned";
}

TEST_F(SlideShowWindowTest, AMovieBetweenPicturesPlaysToItsEndThenThePictureComesAtOnce) {
  PictureMoviePicture("0.3");
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0);
  ASSERT_TRUE(PumpUntil([&] { return PixelAt(window.m_hWnd, 100, 75) == 0x20E040u; }, 10000)) << "the movie shows";
  // "Fullscreen": the 64 × 48 movie fills the 200 × 150 window.
  HWND player = GetDlgItem(window.m_hWnd, kPlayerControlId);
  ASSERT_NE(player, nullptr);
  RECT placed{};
  GetWindowRect(player, &placed);
  EXPECT_EQ(placed.right - placed.left, kWidth);
  EXPECT_EQ(placed.bottom - placed.top, kHeight);
  EXPECT_EQ(PixelAt(window.m_hWnd, 2, 2), 0x20E040u);
  const DWORD start = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return PixelAt(window.m_hWnd, 100, 75) == 0x0000C0u; }, 20000))
      << "the end of the movie moves the show on";
  EXPECT_GE(GetTickCount() - start, 500u) << "not before the one-second movie has played";
  EXPECT_FALSE(window.TransitionRunning()) << "the picture after a movie comes without a transition";
  EXPECT_EQ(GetDlgItem(window.m_hWnd, kPlayerControlId), nullptr) << "the player is closed";
  SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
}

TEST_F(SlideShowWindowTest, AMovieWhoseEndIsNeverToldStillEnds) {
  {
    SCOPED_TRACE("a movie that does not open: the delay");
    PictureMoviePicture("0.3", true);
    CDrawWnd window(0, store);
    ASSERT_NE(Open(window), 0);
    EXPECT_LT(MovieTime(window), 5000u);
    SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
  }
  {
    SCOPED_TRACE("a video in the MCI window: its length and the delay");
    PictureMoviePicture("0.3");
    MciOnlyShow window(0, store);
    ASSERT_NE(Open(window), 0);
    const DWORD shown = MovieTime(window);
    EXPECT_GE(shown, 1000u);
    EXPECT_LT(shown, 10000u);
    SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
  }
}

TEST_F(SlideShowWindowTest, AnEndReportWithoutAMovieChangesNothing) {
  WriteSolidBmp(folder.Path("1.bmp"), 40, 30, 0xC00000);
  WriteSolidBmp(folder.Path("2.bmp"), 40, 30, 0x0000C0);
  Configure("60", "0.3");
  CDrawWnd window(0, store);
  ASSERT_NE(Open(window), 0);
  const CvxImage* frame = window.Composition().m_frame.get();
  SendMessageA(window.m_hWnd, WM_PLAYER_DONE, 0, 0);
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(window.Composition().m_frame.get(), frame);
  EXPECT_FALSE(window.TransitionRunning());
  EXPECT_EQ(PixelAt(window.m_hWnd, 100, 75), 0xC00000u);
  SendMessageA(window.m_hWnd, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace glintora
