// The movie library's binding with a scripted system (which libraries exist, which entry
// points they have, what the library's start-up answers), and the movie window's time and
// frame arithmetic.

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/media/library_binding.h"
#include "core/media/movie_time.h"
#include "core/media/video_frame.h"

namespace glintora {
namespace {

// A system of libraries: paths that load, the names each exports, the modules the process
// already has. It records every load attempt, and checks that each load is freed once.
class FakeSystem : public LibrarySystem {
 public:
  std::map<std::string, std::set<std::string>> libraries;  // path → entry names
  std::map<std::string, std::string> loadedModules;         // name → path
  std::optional<std::string> systemFolder = std::string("C:\\Windows\\system32");
  std::vector<std::string> attempts;
  int loads = 0;
  int frees = 0;
  int locked = 0;
  int maxLocked = 0;
  bool lockedDuringStartUp = false;

  std::optional<std::string> LoadedModulePath(const std::string& name) override {
    auto found = loadedModules.find(name);
    if (found == loadedModules.end()) return std::nullopt;
    return found->second;
  }
  std::optional<std::string> SystemFolder() override { return systemFolder; }
  Handle Load(const std::string& path) override {
    attempts.push_back(path);
    auto found = libraries.find(path);
    if (found == libraries.end()) return nullptr;
    ++loads;
    return &found->second;
  }
  void* Lookup(Handle library, const char* name) override {
    auto* names = static_cast<std::set<std::string>*>(library);
    if (!names->count(name)) return nullptr;
    const std::string entry = name;
    if (entry == "Start") return reinterpret_cast<void*>(&Start);
    if (entry == "Stop") return reinterpret_cast<void*>(&Stop);
    return reinterpret_cast<void*>(&Work);
  }
  void Free(Handle) override { ++frees; }
  void Lock() override { maxLocked = std::max(maxLocked, ++locked); }
  void Unlock() override { --locked; }

  // The library's own routines.
  static inline long startAnswer = 0;
  static inline int starts = 0;
  static inline int stops = 0;
  static inline FakeSystem* current = nullptr;
  static long Start(unsigned long version, unsigned long flags) {
    ++starts;
    if (current) current->lockedDuringStartUp = current->locked > 0;
    return version == 7 && flags == 1 ? startAnswer : -1;
  }
  static long Stop() {
    ++stops;
    return 0;
  }
  static long Work() { return 42; }
};

long NotLoadedWork() { return kLibraryNotLoaded; }

// Two libraries: the first starts and stops, the second does the work.
const std::vector<std::string> kLibraries = {"core.dll", "reader.dll"};
std::vector<LibraryBinding::EntryPoint> Entries() {
  return {{0, "Start", nullptr}, {0, "Stop", nullptr}, {1, "Work", reinterpret_cast<void*>(&NotLoadedWork)}};
}

class LibraryBindingTest : public ::testing::Test {
 protected:
  static constexpr const char* kFolder = "C:\\Windows\\system32\\";
  LibraryBindingTest() {
    FakeSystem::startAnswer = 0;
    FakeSystem::starts = FakeSystem::stops = 0;
    FakeSystem::current = &system;
    system.libraries[std::string(kFolder) + "core.dll"] = {"Start", "Stop"};
    system.libraries[std::string(kFolder) + "reader.dll"] = {"Work"};
  }
  ~LibraryBindingTest() override { FakeSystem::current = nullptr; }

  long Work() const { return reinterpret_cast<long (*)()>(binding.Entry(2))(); }
  // The not-loaded state: nothing held, every entry the program's own routine.
  void ExpectNotLoaded() const {
    EXPECT_FALSE(binding.Loaded());
    EXPECT_EQ(binding.StartCount(), 0);
    EXPECT_EQ(system.loads, system.frees) << "every library loaded was freed";
    EXPECT_EQ(Work(), kLibraryNotLoaded);
    EXPECT_EQ(system.locked, 0);
  }

  FakeSystem system;
  LibraryBinding binding{system, kLibraries, Entries(), 0, 1};
};

TEST_F(LibraryBindingTest, NestedStartUpsShareOneLoadedLibrary) {
  ExpectNotLoaded();
  ASSERT_EQ(binding.StartUp(7, 1), 0);
  EXPECT_TRUE(binding.Loaded());
  EXPECT_EQ(Work(), 42) << "the library's own routine";
  EXPECT_TRUE(system.lockedDuringStartUp) << "the library starts under the lock";
  EXPECT_EQ(binding.StartUp(7, 1), 0);
  EXPECT_EQ(binding.StartCount(), 2);
  EXPECT_EQ(system.loads, 2) << "one load per library, not per start-up";
  EXPECT_EQ(FakeSystem::starts, 1);

  binding.ShutDown();
  EXPECT_TRUE(binding.Loaded()) << "one user is left";
  EXPECT_EQ(FakeSystem::stops, 0);
  EXPECT_EQ(Work(), 42);
  binding.ShutDown();
  EXPECT_EQ(FakeSystem::stops, 1);
  ExpectNotLoaded();
  binding.ShutDown();
  EXPECT_EQ(binding.StartCount(), 0) << "an extra shut-down stays at 0";
  EXPECT_EQ(FakeSystem::stops, 1);
  EXPECT_EQ(system.maxLocked, 1);

  // Started again after the last shut-down.
  EXPECT_EQ(binding.StartUp(7, 1), 0);
  EXPECT_EQ(Work(), 42);
  binding.ShutDown();
  ExpectNotLoaded();
}

TEST_F(LibraryBindingTest, EachFailureAnswersAndRestoresTheNotLoadedState) {
  struct Case {
    const char* what;
    void (*arrange)(FakeSystem&);
    long answer;
  };
  const Case cases[] = {
      {"the first library missing", [](FakeSystem& s) { s.libraries.erase("C:\\Windows\\system32\\core.dll"); },
       kLibraryNotFound},
      {"the second library missing", [](FakeSystem& s) { s.libraries.erase("C:\\Windows\\system32\\reader.dll"); },
       kLibraryNotFound},
      {"an entry point missing", [](FakeSystem& s) { s.libraries["C:\\Windows\\system32\\reader.dll"].clear(); },
       kEntryPointMissing},
      {"no system folder", [](FakeSystem& s) { s.systemFolder.reset(); }, kLibraryNotFound},
      {"the library's start-up fails", [](FakeSystem&) { FakeSystem::startAnswer = -2147467259; }, -2147467259},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSystem fresh;
    fresh.libraries = system.libraries;
    FakeSystem::current = &fresh;
    FakeSystem::startAnswer = 0;
    c.arrange(fresh);
    LibraryBinding failing{fresh, kLibraries, Entries(), 0, 1};
    EXPECT_EQ(failing.StartUp(7, 1), c.answer);
    EXPECT_FALSE(failing.Loaded());
    EXPECT_EQ(failing.StartCount(), 0);
    EXPECT_EQ(fresh.loads, fresh.frees) << "every library loaded was freed";
    EXPECT_EQ(reinterpret_cast<long (*)()>(failing.Entry(2))(), kLibraryNotLoaded);
    EXPECT_EQ(fresh.locked, 0);
    failing.ShutDown();
    EXPECT_EQ(failing.StartCount(), 0) << "a failed start-up leaves nothing to shut down";
  }
}

TEST_F(LibraryBindingTest, LooksInTheProcessFirstThenTheSystemFolder) {
  system.libraries["D:\\loaded\\core.dll"] = {"Start", "Stop"};
  system.loadedModules["core.dll"] = "D:\\loaded\\core.dll";
  system.loadedModules["reader.dll"] = "D:\\gone\\reader.dll";  // its path no longer loads
  ASSERT_EQ(binding.StartUp(7, 1), 0);
  const std::vector<std::string> order = {"D:\\loaded\\core.dll", "D:\\gone\\reader.dll",
                                          "C:\\Windows\\system32\\reader.dll"};
  EXPECT_EQ(system.attempts, order);
  binding.ShutDown();

  // A folder that already ends in a separator gets no second one.
  LibraryBinding lone{system, {"core.dll"}, {{0, "Start", nullptr}, {0, "Stop", nullptr}}, 0, 1};
  system.loadedModules.clear();
  system.systemFolder = "C:\\Windows\\system32\\";
  system.attempts.clear();
  EXPECT_NE(lone.Find("core.dll"), nullptr);
  EXPECT_EQ(system.attempts, std::vector<std::string>{"C:\\Windows\\system32\\core.dll"});
}

TEST_F(LibraryBindingTest, PathsPastTheLimitAreRefusedNotCut) {
  // "C:\\" + folder + "\\core.dll": 259 bytes fit beside the terminating zero, 260 do not.
  const std::string fits = "C:\\" + std::string(kLibraryPathLimit - 1 - 12, 'f');
  const std::string tooLong = fits + "f";
  for (const std::string& folder : {fits, tooLong}) system.libraries[folder + "\\core.dll"] = {"Start", "Stop"};
  system.libraries[(tooLong + "\\core.dll").substr(0, kLibraryPathLimit - 1)] = {"Start", "Stop"};
  system.loadedModules["core.dll"] = tooLong + "\\core.dll";
  system.systemFolder = tooLong;
  EXPECT_EQ(binding.Find("core.dll"), nullptr);
  EXPECT_TRUE(system.attempts.empty()) << "no shortened name was tried";
  system.systemFolder = fits;
  EXPECT_NE(binding.Find("core.dll"), nullptr);
  EXPECT_EQ(system.attempts, std::vector<std::string>{fits + "\\core.dll"});
  system.Free(nullptr);  // the one load above
}

TEST(LibraryPathInFolder, OnlyBareFileNamesInAFolder) {
  struct Case {
    std::string folder, name;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"C:\\sys", "a.dll", "C:\\sys\\a.dll"},
      {"C:\\sys/", "a.dll", "C:\\sys/a.dll"},
      {"", "a.dll", std::nullopt},
      {"C:\\sys", "", std::nullopt},
      {"C:\\sys", "..\\other\\a.dll", std::nullopt},
      {"C:\\sys", "sub/a.dll", std::nullopt},
      {"C:\\sys", "D:a.dll", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(LibraryPathInFolder(c.folder, c.name), c.path) << c.folder << " " << c.name;
}

TEST(MovieTime, UnitsSelectionsAndRates) {
  EXPECT_EQ(MovieUnits(30'000'000), 1800) << "3 s";
  EXPECT_EQ(MovieUnits(16'666), 0) << "cut toward zero";
  EXPECT_EQ(MediaTimeOfUnits(600), 10'000'000);
  EXPECT_EQ(MovieSelection(1800, 30, 10, 20), (MovieSpan{600, 600}));
  EXPECT_EQ(MovieSelection(1000, 3, 1, 2), (MovieSpan{333, 334})) << "each end rounded from half";
  EXPECT_EQ(MovieSelection(1800, 0, 10, 20), (MovieSpan{0, 1800})) << "no frame count: the whole movie";
  EXPECT_EQ(FrameAtMovieTime(900, 1800, 30), 15);
  EXPECT_EQ(FrameAtMovieTime(900, 0, 30), 0);
  EXPECT_DOUBLE_EQ(MovieFrameRate(30, 1800), 10.0);
  EXPECT_EQ(MovieFrameRate(30, 0), 0.0);
}

// The conversions are exact wherever the true result fits in 64 bits (a product of the
// factors would not: 922,337,203,686 units, 48.7 years, is the first whose 100-ns time
// overflows it) and stop at the 64-bit limits where it does not.
TEST(MovieTime, ConversionsAreExactOrSaturateAtTheExtremes) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  struct Case {
    const char* what;
    int64_t (*convert)(int64_t);
    int64_t in, out;
  };
  const Case cases[] = {
      {"units of 0", MovieUnits, 0, 0},
      {"units of 1", MovieUnits, 1, 0},
      {"units of -1", MovieUnits, -1, 0},
      {"units of one unit's time", MovieUnits, 16'667, 1},
      {"units cut toward zero", MovieUnits, -16'667, -1},
      {"units of 0xFFFFFFF0 units' time", MovieUnits, 71'582'788'000'000, 0xFFFF'FFF0},
      {"units a hair below a whole number", MovieUnits, 16'666'666'666'666'666, 999'999'999'999},
      {"units where time × 600 still fits", MovieUnits, 15'372'286'728'091'293, 922'337'203'685},
      {"units where time × 600 would not", MovieUnits, 15'372'286'728'091'294, 922'337'203'685},
      {"units where -time × 600 would not", MovieUnits, -15'372'286'728'091'294, -922'337'203'685},
      {"units of the largest time", MovieUnits, kMax, 553'402'322'211'286},
      {"units of the smallest time", MovieUnits, kMin, -553'402'322'211'286},
      {"time of 0", MediaTimeOfUnits, 0, 0},
      {"time of 1", MediaTimeOfUnits, 1, 16'666},
      {"time of -1", MediaTimeOfUnits, -1, -16'666},
      {"time of 0xFFFFFFF0 units", MediaTimeOfUnits, 0xFFFF'FFF0, 71'582'788'000'000},
      {"time where units × 10^7 still fits", MediaTimeOfUnits, 922'337'203'685, 15'372'286'728'083'333},
      {"time where units × 10^7 would not", MediaTimeOfUnits, 922'337'203'686, 15'372'286'728'100'000},
      {"time where -units × 10^7 would not", MediaTimeOfUnits, -922'337'203'686, -15'372'286'728'100'000},
      {"time of the most units that fit", MediaTimeOfUnits, 553'402'322'211'286, 9'223'372'036'854'766'666},
      {"time of one unit more", MediaTimeOfUnits, 553'402'322'211'287, kMax},
      {"time of the fewest units that fit", MediaTimeOfUnits, -553'402'322'211'286, -9'223'372'036'854'766'666},
      {"time of one unit fewer", MediaTimeOfUnits, -553'402'322'211'287, kMin},
      {"time of the most units", MediaTimeOfUnits, kMax, kMax},
      {"time of the fewest units", MediaTimeOfUnits, kMin, kMin},
  };
  for (const Case& c : cases) EXPECT_EQ(c.convert(c.in), c.out) << c.what;

  // Selections and frames past the 64-bit range stop at its ends.
  EXPECT_EQ(MovieSelection(kMax, 1, 0, 1), (MovieSpan{0, kMax})) << "the whole of the longest movie";
  EXPECT_EQ(MovieSelection(kMax, 1, -1, 1), (MovieSpan{kMin, kMax})) << "a length past the range";
  EXPECT_EQ(MovieSelection(1800, 30, 0, kMax), (MovieSpan{0, kMax})) << "a last frame past the range";
  EXPECT_EQ(FrameAtMovieTime(kMax, kMax, kMax), kMax) << "the end of the longest movie";
  EXPECT_EQ(FrameAtMovieTime(kMax, 1, kMax), kMax);
  EXPECT_EQ(FrameAtMovieTime(kMin, 1, kMax), kMin);
}

TEST(MovieTime, PlayPositionRunsHoldsEndsAndLoops) {
  PlayPosition position;
  position.SetSpan(600, 1800);  // from 1 s to 3 s
  EXPECT_EQ(position.At(0), 600) << "not started";
  position.Start(1000);
  EXPECT_EQ(position.At(1500), 900);
  EXPECT_FALSE(position.Done(2999));
  position.Stop(2000);
  EXPECT_EQ(position.At(9000), 1200) << "held while stopped";
  position.Start(9000);
  EXPECT_EQ(position.At(9500), 1500);
  EXPECT_FALSE(position.Done(9999));
  EXPECT_TRUE(position.Done(10000)) << "2 s played";
  EXPECT_EQ(position.At(20000), 1800) << "stays at the end";

  position.SetLooping(true);
  EXPECT_FALSE(position.Done(20000)) << "a loop is never done";
  EXPECT_EQ(position.At(10500), 600 + 300) << "again from the beginning";
  position.Rewind(30000);
  EXPECT_EQ(position.At(30000), 600);

  PlayPosition empty;
  empty.Start(0);
  EXPECT_TRUE(empty.Done(0)) << "nothing to play is done at once";
  EXPECT_EQ(empty.At(5000), 0);
}

// Play positions at the edges: a clock read before the start, milliseconds that are not whole
// units, and spans with nothing to play, looping or not.
TEST(MovieTime, PlayPositionAtTheEdgesOfClockAndSpan) {
  const struct {
    const char* what;
    int64_t begin, end;
    bool looping;
    int64_t startMs, nowMs;
    int64_t spanEnd, at;
    bool done;
  } cases[] = {
      {"a clock reading before the start", 600, 1800, false, 1000, 400, 1800, 600, false},
      {"the same, looping", 600, 1800, true, 1000, 400, 1800, 600, false},
      {"1 ms is 0.6 units: none", 600, 1800, false, 0, 1, 1800, 600, false},
      {"4 ms are 2.4 units: 2", 600, 1800, false, 0, 4, 1800, 602, false},
      {"an empty span", 900, 900, false, 0, 5000, 900, 900, true},
      {"an empty span, looping", 900, 900, true, 0, 5000, 900, 900, false},
      {"an end before the beginning: empty there", 900, 300, false, 0, 0, 900, 900, true},
      {"the same, looping", 900, 300, true, 0, 5000, 900, 900, false},
  };
  for (const auto& c : cases) {
    PlayPosition position;
    position.SetSpan(c.begin, c.end);
    position.SetLooping(c.looping);
    position.Start(c.startMs);
    EXPECT_EQ(position.End(), c.spanEnd) << c.what;
    EXPECT_EQ(position.At(c.nowMs), c.at) << c.what;
    EXPECT_EQ(position.Done(c.nowMs), c.done) << c.what;
  }
}

TEST(MovieTime, DoubleClicksNeedTheSystemsDistanceAndTime) {
  struct Case {
    int x, y;
    int64_t ms;
    bool second;
  };
  // A first release at (100, 100) at 0 ms; a 4 × 4 double-click rectangle and 500 ms.
  const Case cases[] = {{100, 100, 0, true},   {102, 98, 500, true}, {103, 100, 100, false},
                        {100, 97, 100, false}, {100, 100, 501, false}, {100, 100, -1, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsSecondClick(100, 100, 0, c.x, c.y, c.ms, 4, 4, 500), c.second) << c.x << "," << c.y << " " << c.ms;
  }
}

TEST(VideoFrame, ConvertsTheReadersLayouts) {
  // NV12 of 4 × 2 in a luma plane padded to 4 rows of 6 bytes: black (16) and white (235)
  // with no colour difference, then BT.601's red (81 with differences 90 and 240).
  const int stride = 6;
  std::vector<uint8_t> nv12(static_cast<size_t>(stride) * 4 + 4, 0);  // exactly what 4 × 2 needs
  const uint8_t luma[2][4] = {{16, 235, 81, 81}, {16, 235, 145, 145}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) nv12[static_cast<size_t>(y * stride + x)] = luma[y][x];
  }
  uint8_t* uv = nv12.data() + stride * 4;
  uv[0] = 128, uv[1] = 128, uv[2] = 90, uv[3] = 240;  // grey pair, then red's pair
  VideoFrame frame;
  ASSERT_TRUE(ConvertVideoFrame(ReaderPixelLayout::Nv12, nv12.data(), nv12.size(), 4, 2, stride, 4, frame));
  EXPECT_EQ(frame.width, 4);
  EXPECT_EQ(frame.pixels[0], 0x000000u);
  EXPECT_EQ(frame.pixels[1], 0xFFFFFFu);
  const uint32_t red = frame.pixels[2];
  EXPECT_GE(red >> 16, 0xF0u);
  EXPECT_LE((red >> 8) & 0xFF, 0x10u);
  EXPECT_LE(red & 0xFF, 0x10u);
  EXPECT_FALSE(ConvertVideoFrame(ReaderPixelLayout::Nv12, nv12.data(), nv12.size() - 1, 4, 2, stride, 4, frame))
      << "a short buffer";
  EXPECT_EQ(frame.pixels[0], 0x000000u) << "left as it was";

  // Every pair of colour differences with the extreme lumas and others: exactly BT.601's
  // fixed-point formula, clamped (the extremes probe the clamping's whole range).
  const int side = 512;
  std::vector<uint8_t> all(static_cast<size_t>(side) * side * 3 / 2);
  for (int j = 0; j < 256; ++j) {
    for (int k = 0; k < 256; ++k) {
      const uint8_t lumas[4] = {0, 255, static_cast<uint8_t>(j * 7 + k * 13), 16};
      for (int i = 0; i < 4; ++i) all[static_cast<size_t>((2 * j + i / 2) * side + 2 * k + i % 2)] = lumas[i];
      all[static_cast<size_t>(side * side + j * side + 2 * k)] = static_cast<uint8_t>(j);
      all[static_cast<size_t>(side * side + j * side + 2 * k + 1)] = static_cast<uint8_t>(k);
    }
  }
  ASSERT_TRUE(ConvertVideoFrame(ReaderPixelLayout::Nv12, all.data(), all.size(), side, side, side, side, frame));
  int wrong = 0;
  for (int row = 0; row < side; ++row) {
    for (int x = 0; x < side; ++x) {
      const int c = (all[static_cast<size_t>(row * side + x)] - 16) * 298;
      const int d = row / 2 - 128;
      const int e = x / 2 - 128;
      const auto channel = [](int v) { return static_cast<uint32_t>(std::clamp(v >> 8, 0, 255)); };
      const uint32_t expected = channel(c + 409 * e + 128) << 16 | channel(c - 100 * d - 208 * e + 128) << 8 |
                                channel(c + 516 * d + 128);
      wrong += frame.pixels[static_cast<size_t>(row * side + x)] != expected;
    }
  }
  EXPECT_EQ(wrong, 0);

  // 32-bit rows stored bottom-up (negative stride) come out top row first.
  const std::vector<uint8_t> rgb32 = {0x30, 0x20, 0x10, 0, /* bottom row */ 0x03, 0x02, 0x01, 0 /* top row */};
  ASSERT_TRUE(ConvertVideoFrame(ReaderPixelLayout::Rgb32, rgb32.data(), rgb32.size(), 1, 2, -4, 2, frame));
  EXPECT_EQ(frame.pixels, (std::vector<uint32_t>{0x010203, 0x102030}));
}

// Buffers a byte, a row or a chroma row short of what the frame reads are refused, the frame
// left as it was; exactly sized ones are converted.
TEST(VideoFrame, BuffersShortOfTheFrameAreRefused) {
  constexpr auto kRgb32 = ReaderPixelLayout::Rgb32;
  constexpr auto kNv12 = ReaderPixelLayout::Nv12;
  const struct {
    const char* what;
    ReaderPixelLayout layout;
    int width, height, stride, planeRows;
    size_t size;
    bool converted;
  } cases[] = {
      // 2 × 3 at 4 bytes a pixel, rows 12 bytes apart: the last row needs only its 8 bytes.
      {"32-bit, exact", kRgb32, 2, 3, 12, 3, 32, true},
      {"32-bit, a byte short", kRgb32, 2, 3, 12, 3, 31, false},
      {"32-bit, a row short", kRgb32, 2, 3, 12, 3, 20, false},
      {"32-bit, rows closer than a row's pixels", kRgb32, 2, 3, 4, 3, 64, false},
      // 3 × 3 NV12, rows 4 bytes apart: three luma rows, then two chroma rows, the last of
      // them needing its two colour pairs.
      {"NV12 of odd sides, exact", kNv12, 3, 3, 4, 3, 20, true},
      {"NV12 of odd sides, a byte short", kNv12, 3, 3, 4, 3, 19, false},
      {"NV12 of odd sides without its last chroma row", kNv12, 3, 3, 4, 3, 16, false},
      {"NV12 whose plane claims fewer rows than the frame", kNv12, 3, 3, 4, 1, 16, false},
      {"NV12 with a padded plane, exact", kNv12, 3, 3, 4, 5, 28, true},
      {"NV12 with a padded plane, a byte short", kNv12, 3, 3, 4, 5, 27, false},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> buffer(c.size, 128);  // exactly sized: the sanitizer sees reads past it
    VideoFrame frame{7, 1, {0x123456u}};
    EXPECT_EQ(ConvertVideoFrame(c.layout, buffer.data(), buffer.size(), c.width, c.height, c.stride, c.planeRows,
                                frame),
              c.converted)
        << c.what;
    EXPECT_EQ(frame.width, c.converted ? c.width : 7) << c.what << ": converted, or left as it was";
  }
}

// An odd width's last column has a colour pair to itself: nothing is written past the frame.
// A new frame's pixels are allocated to its exact size, so the sanitizer build catches a
// write beyond them.
TEST(VideoFrame, AnOddWidthWritesNothingPastTheFrame) {
  const std::vector<uint8_t> nv12 = {16,  235, 16,  0,  // luma: black and white in turn
                                     235, 16,  235, 0,  //
                                     16,  235, 16,  0,  //
                                     128, 128, 128, 128,  // no colour difference
                                     128, 128, 128, 128};
  VideoFrame frame;
  ASSERT_TRUE(ConvertVideoFrame(ReaderPixelLayout::Nv12, nv12.data(), nv12.size(), 3, 3, 4, 3, frame));
  ASSERT_EQ(frame.pixels.capacity(), 9u) << "exactly sized";
  constexpr uint32_t kWhite = 0xFFFFFF;
  EXPECT_EQ(frame.pixels, (std::vector<uint32_t>{0, kWhite, 0, kWhite, 0, kWhite, 0, kWhite, 0}));
}

}  // namespace
}  // namespace glintora
