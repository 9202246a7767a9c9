// Loading the show's next item ahead: reduced decodes that stand exactly where whole ones
// would, the items tried in the show's order, a stop that is not waited out, and row bands
// that change no frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/base/random.h"
#include "core/base/row_bands.h"
#include "core/image/memory_device.h"
#include "core/loaders/jpeg_loader.h"
#include "core/loaders/raw_loader.h"
#include "core/show/media_list.h"
#include "core/show/picture_prefetch.h"
#include "core/transitions/catalogue.h"
#include "core/transitions/engine.h"
#include "fakes.h"
#include "fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::TempFolder;

std::unique_ptr<CvxImageColor8> Gradient(int width, int height) {
  auto image = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image->At(x, y) = CvxColor8(static_cast<uint8_t>(40 + 150 * x / width), 90,
                                  static_cast<uint8_t>(30 + 200 * y / height));
    }
  }
  return image;
}

FrameComposer Window(int width, int height) {
  FrameComposer composer;
  composer.SetGeometry(0, 0, width, height, width);
  return composer;
}

TEST(ReducedDecoding, TheLargestReductionThatStillCovers) {
  struct Case {
    ImageSize stored, shown;
    int scale;
  };
  for (const Case& c : {Case{{4000, 3000}, {1440, 1080}, 2}, Case{{4000, 3000}, {1000, 750}, 4},
                        Case{{4000, 3000}, {500, 375}, 8}, Case{{4000, 3000}, {501, 375}, 4},
                        Case{{4001, 3001}, {501, 376}, 8},  // 4001 / 8 rounds up to 501
                        Case{{800, 600}, {800, 600}, 1}}) {
    EXPECT_EQ(CvxLoaderJPEG::CoveringScale(c.stored, c.shown), c.scale) << c.shown.width << "x" << c.shown.height;
  }
}

// The fitted picture has the size and so the place of the whole picture's fit; its pixels
// differ only by the smaller resampling source.
TEST(ReducedDecoding, PlacementIsThatOfTheWholePicture) {
  TempFolder folder;
  const FrameComposer window = Window(1024, 768);
  CvxImageLoader loader(CvxColor8{});
  for (const auto& [width, height] : {std::pair{4001, 3001}, std::pair{3, 2000}, std::pair{2000, 3}}) {
    const std::string path = folder.Path(std::to_string(width) + ".jpg");
    testing::WriteBytes(path, testing::EncodeJpeg(*Gradient(width, height), {95}));
    ImageSize stored;
    auto reduced = loader.LoadToCover(
        path, [&](ImageSize size) { return window.FittedSize(size.width, size.height); }, stored);
    ASSERT_NE(reduced, nullptr);
    if (width == 4001) {
      EXPECT_LT(reduced->m_width, width) << "decoded reduced";
      EXPECT_EQ(stored, (ImageSize{width, height}));
    }
    auto fitted = window.Fit(std::move(reduced), stored.width, stored.height);
    auto whole = window.Fit(loader.Load(path));
    ASSERT_TRUE(fitted && whole) << width << "x" << height << " fitted " << !!fitted << " whole " << !!whole;
    EXPECT_EQ(fitted->m_width, whole->m_width) << width << "x" << height;
    EXPECT_EQ(fitted->m_height, whole->m_height) << width << "x" << height;
    int worst = 0;
    const auto& a = static_cast<const CvxImageColor8&>(*fitted);
    const auto& b = static_cast<const CvxImageColor8&>(*whole);
    for (int y = 0; y < a.m_height; ++y) {
      for (int x = 0; x < a.m_width; ++x) {
        for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(a.At(x, y).c[ch] - b.At(x, y).c[ch]));
      }
    }
    EXPECT_LE(worst, 12) << width << "x" << height;
  }
}

TEST(Prefetch, TriesTheUpcomingItemsInTheShowsOrder) {
  testing::FakeFileSystem files;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) files.Add("F", name);
  MediaList list;
  list.Build(files, "F", false, true, false);
  EXPECT_EQ(list.Upcoming(3), (std::vector<size_t>{1, 2, 3}));
  EXPECT_EQ(list.Upcoming(10), (std::vector<size_t>{1, 2, 3, 4, 0})) << "one round at most";
  SeedRandom(7);
  list.Build(files, "F", false, true, true);
  const std::vector<size_t> upcoming = list.Upcoming(10);
  EXPECT_EQ(upcoming.size(), 4u) << "to the end of the shuffled cycle";
  for (size_t index : upcoming) {
    list.Advance();
    EXPECT_EQ(list.CurrentIndex(), index);
  }

  // A failing file, then a movie that does not load, then a picture: the movie ends it.
  TempFolder folder;
  testing::WriteBytes(folder.Path("bad.jpg"), {0xFF, 0xD8, 0xFF, 0, 1});
  testing::WriteBytes(folder.Path("clip.avi"), {'R', 'I', 'F', 'F'});
  testing::WriteBytes(folder.Path("good.jpg"), testing::EncodeJpeg(*Gradient(64, 48)));
  CvxImageLoader loader(CvxColor8{});
  const FrameComposer window = Window(32, 24);
  const std::vector<PrefetchItem> items = {
      {0, folder.Path("bad.jpg"), false}, {1, folder.Path("clip.avi"), true}, {2, folder.Path("good.jpg"), false}};
  PrefetchResult movie = PrefetchNextItem(loader, window, items);
  EXPECT_EQ(movie.kind, PrefetchResult::Kind::Movie);
  EXPECT_EQ(movie.failed, 1u);
  PrefetchResult picture = PrefetchNextItem(loader, window, {items[0], items[2]});
  ASSERT_EQ(picture.kind, PrefetchResult::Kind::Picture);
  EXPECT_EQ(picture.failed, 1u);
  EXPECT_EQ(picture.fitted->m_width, 32) << "fitted to the window";
  EXPECT_EQ(PrefetchNextItem(loader, window, {items[0]}).kind, PrefetchResult::Kind::None);
}

// A decode that would run until stopped: abandoning the loader ends it at once, and the
// loader refuses every later decode.
TEST(Prefetch, AbandoningStopsASlowDecodeAndAllThatFollow) {
  TempFolder folder;
  const std::string raw = folder.Path("slow.nef");
  ASSERT_TRUE(testing::WriteDng(*Gradient(64, 48), raw));
  CvxImageLoader loader(CvxColor8{});
  CvxRawParams params;
  params.m_progressContext = &loader;
  params.m_progress = [](void* context) {
    const auto* front = static_cast<const CvxImageLoader*>(context);
    while (!front->Abandoned()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
  };
  loader.SetRawParams(&params);
  std::atomic<bool> ended{false};
  PrefetchResult result;
  std::thread prefetch([&] {
    result = PrefetchNextItem(loader, Window(32, 24), {{0, raw, false}, {1, raw, false}});
    ended = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(ended) << "the decode waits for its stop";
  loader.Abandon();
  prefetch.join();
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.kind, PrefetchResult::Kind::None);
  loader.SetRawParams(nullptr);
  EXPECT_EQ(loader.Load(raw), nullptr) << "an abandoned loader decodes nothing more";
}

// Every frame of every software transition, as the screen showed it.
std::vector<std::vector<uint8_t>> Frames(int id, int bands) {
  auto oldFrame = testing::Pattern<CvxColor8>(53, 41, 1);
  auto newFrame = testing::Pattern<CvxColor8>(53, 41, 2);
  CvxImageColor8 screen(53, 41, true);
  MemoryDevice device(screen);
  testing::ScriptedClock clock;
  TransitionOptions options;
  options.clock = &clock;
  options.bands = bands;
  struct Watch {
    CvxImageColor8* screen;
    std::vector<std::vector<uint8_t>> frames;
    static bool Continue(void* context) {
      auto* self = static_cast<Watch*>(context);
      const uint8_t* bits = static_cast<const uint8_t*>(self->screen->GetBits());
      self->frames.emplace_back(bits, bits + static_cast<size_t>(self->screen->GetStride()) * self->screen->m_height);
      return true;
    }
  } watch{&screen, {}};
  SeedRandom(11);  // the speckle and block masks draw from the generator
  RunTransition(device, {0, 0, 53, 41}, *oldFrame, *newFrame, id, 0.0f, &Watch::Continue, &watch, options);
  return watch.frames;
}

TEST(RowBands, BandedFramesAreTheFramesOfOneCore) {
  for (int id = kBlendId; id <= kLastMaskId; ++id) {
    if (GetTransitionInfo(id).family == TransitionFamily::Rectangle) continue;  // no pixel work
    EXPECT_EQ(Frames(id, 3), Frames(id, 1)) << "transition " << id;
  }
  // More bands than rows: every row still done once.
  RowBands bands(5);
  std::vector<int> done(3, 0);
  bands.Run(3, [&](int first, int end) {
    for (int y = first; y < end; ++y) ++done[static_cast<size_t>(y)];
  });
  EXPECT_EQ(done, (std::vector<int>{1, 1, 1}));
}

// One band for each thread asked for (0: one a hardware thread), each a contiguous run of rows,
// their sizes a fair share; a frame of as many rows as bands gives each band one row.
TEST(RowBands, EveryBandTakesItsShareOfTheRows) {
  const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (const int asked : {1, 3, 4, 0}) {
    RowBands bands(asked);
    ASSERT_EQ(bands.Bands(), asked > 0 ? asked : hardware) << asked;
    for (const int rows : {bands.Bands(), 2 * bands.Bands() + 1, 41}) {
      std::mutex lock;
      std::vector<std::pair<int, int>> calls;
      bands.Run(rows, [&](int first, int end) {
        const std::lock_guard guard(lock);
        calls.emplace_back(first, end);
      });
      SCOPED_TRACE(std::to_string(bands.Bands()) + " bands, " + std::to_string(rows) + " rows");
      ASSERT_EQ(calls.size(), static_cast<size_t>(bands.Bands()));
      std::sort(calls.begin(), calls.end());
      const int share = rows / bands.Bands();
      int next = 0;
      for (const auto& [first, end] : calls) {
        EXPECT_EQ(first, next);
        EXPECT_TRUE(end - first == share || end - first == share + 1) << first << " to " << end;
        next = end;
      }
      EXPECT_EQ(next, rows);
    }
  }
}

}  // namespace
}  // namespace glintora
