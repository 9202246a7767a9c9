// The movie player's arithmetic, layout, mute memory and engine choice, as pure functions.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "avi_writer.h"
#include "core/media/engine_route.h"
#include "core/media/movie_time.h"
#include "core/media/player_arithmetic.h"
#include "core/media/player_layout.h"
#include "core/media/volume_memory.h"
#include "core/show/movie_placement.h"

namespace glintora {
namespace {

constexpr int64_t kTwoSeconds = 20'000'000;
// Three years of media time: far past what 32 bits hold, and a product with 10000 past 63 bits.
constexpr int64_t kLong = 946'080'000'000'000'000;
// The ends of the AVI file functions' 32-bit sample numbers and sizes.
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

TEST(PlayerArithmetic, SeekBarAndMediaTime) {
  EXPECT_EQ(SeekTargetFor(5000, kTwoSeconds), 10'000'000);
  EXPECT_EQ(SeekTargetFor(1, 9999), 0) << "whole units, cut";
  EXPECT_EQ(SeekTargetFor(10000, kLong), kLong) << "no overflow in the product";
  EXPECT_EQ(SeekTargetFor(-5, kTwoSeconds), 0);
  EXPECT_EQ(SeekTargetFor(12000, kTwoSeconds), kTwoSeconds);
  EXPECT_EQ(SeekBarPositionFor(15'000'000, kTwoSeconds), 7500);
  EXPECT_EQ(SeekBarPositionFor(kLong / 2, kLong), 5000);
  EXPECT_EQ(SeekBarPositionFor(kTwoSeconds + 1, kTwoSeconds), 10000) << "kept on the bar";
  // A movie of unknown or zero length stands at the start.
  EXPECT_EQ(SeekTargetFor(5000, 0), 0);
  EXPECT_EQ(SeekBarPositionFor(1234, 0), 0);
  EXPECT_EQ(SeekBarPositionFor(1234, -1), 0);
}

// Seek-bar positions and targets where time and duration reach the ends of their range.
TEST(PlayerArithmetic, SeekBarAtTheExtremesOfTimeAndDuration) {
  constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
  const struct {
    const char* what;
    int64_t time, duration;
    int position;
  } positions[] = {
      {"the end of the longest movie", kMax64, kMax64, 10000},
      {"just before it, cut", kMax64 - 1, kMax64, 9999},
      {"half of it, cut", kMax64 / 2, kMax64, 4999},
      {"a product past 64 bits", kMax64, 1, 10000},
      {"far past the duration", 3 * kTwoSeconds, kTwoSeconds, 10000},
      {"the first unit of the longest movie", 1, kMax64, 0},
      {"a second before the start", -10'000'000, kTwoSeconds, 0},
  };
  for (const auto& p : positions) EXPECT_EQ(SeekBarPositionFor(p.time, p.duration), p.position) << p.what;
  const struct {
    const char* what;
    int position;
    int64_t duration, target;
  } targets[] = {
      {"the end of the longest movie", 10000, kMax64, kMax64},
      {"just before it, exact", 9999, kMax64, 9'222'449'699'651'090'329},
      {"a movie of fewer units than the bar", 10000, 9999, 9999},
  };
  for (const auto& t : targets) EXPECT_EQ(SeekTargetFor(t.position, t.duration), t.target) << t.what;
}

TEST(PlayerArithmetic, SelectionInMediaTimeAndFrames) {
  EXPECT_EQ(SelectionSpan(kTwoSeconds, 20, 0, 20), (MediaSpan{0, kTwoSeconds})) << "rewinds to the start";
  EXPECT_EQ(SelectionSpan(kTwoSeconds, 20, 5, 15), (MediaSpan{5'000'000, 15'000'000}));
  EXPECT_EQ(SelectionSpan(10, 3, 1, 2), (MediaSpan{3, 6})) << "each end cut toward zero";
  EXPECT_EQ(SelectionSpan(kTwoSeconds, 0, 5, 15), (MediaSpan{0, kTwoSeconds})) << "no frame count: the whole movie";
  EXPECT_EQ(SelectionSpan(0, 20, 5, 15), (MediaSpan{0, 0}));
  EXPECT_EQ(SelectionSpan(kLong, 10, 0, 200), (MediaSpan{0, INT64_MAX})) << "an end past 64 bits stops there";
  EXPECT_EQ(FrameAtTime(10'000'000, kTwoSeconds, 20), 10);
  EXPECT_EQ(FrameAtTime(9'700'000, kTwoSeconds, 20), 10) << "rounded";
  EXPECT_EQ(FrameAtTime(5, 0, 20), 0);
  EXPECT_EQ(FrameAtTime(3 * kTwoSeconds, kTwoSeconds, 20), 20) << "past the end: the frame count";
  EXPECT_EQ(FrameAtTime(5, kTwoSeconds, 0), 0);
}

TEST(PlayerArithmetic, SelectionsAreKeptInsideTheMovie) {
  struct Case {
    int first, last;
    int64_t frames;
    FrameRange kept;
  };
  const Case cases[] = {
      {5, 15, 20, {5, 15}},   {15, 5, 20, {5, 15}},   {-3, 8, 20, {0, 8}}, {4, 4, 20, {4, 5}},   {0, 500, 20, {0, 20}},
      {30, 40, 20, {19, 20}}, {20, 20, 20, {19, 20}}, {7, 7, 0, {7, 8}},   {-5, -9, 20, {0, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseSelection(c.first, c.last, c.frames), c.kept) << c.first << ".." << c.last << " of " << c.frames;
  }
}

// A saved selection's samples, with the stream's numbers as a crafted file may give them.
TEST(PlayerArithmetic, KeyFrameSamplesStayInsideTheStreamAnd32Bits) {
  struct Case {
    const char* what;
    int32_t streamStart, streamLength, keyBefore, keyAfter;
    StreamSamples span;
  };
  const Case cases[] = {
      {"key frame to key frame", 0, 100, 10, 30, {10, 20}},
      {"no key frame before: the stream's start", 5, 100, -1, 30, {5, 25}},
      {"no key frame after: the stream's end", 0, 100, 10, -1, {10, 90}},
      {"a key frame past the end", 0, 100, 10, 500, {10, 90}},
      {"nothing between", 0, 100, 30, 30, {}},
      {"ends the wrong way round", 0, 100, 50, 20, {}},
      {"a negative length", 0, -5, 0, -1, {}},
      {"the longest stream", 0, kMax32, 0, -1, {0, kMax32}},
      {"a stream whose end passes 32 bits", kMax32 - 15, 256, kMax32 - 7, -1, {kMax32 - 7, 7}},
      {"both at the 32-bit end", kMax32, kMax32, -1, -1, {}},
      {"samples before 0 do not exist", -10, 100, -1, 50, {0, 50}},
      {"a start at the 32-bit bottom", kMin32, kMax32, -1, 100, {}},
      {"a key frame at the 32-bit bottom", 0, 100, kMin32, kMax32, {0, 100}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyFrameSamples(c.streamStart, c.streamLength, c.keyBefore, c.keyAfter), c.span) << c.what;
  }
}

TEST(PlayerArithmetic, ReadsAnswerWithinWhatWasAsked) {
  struct Case {
    const char* what;
    int32_t count, bufferBytes, samples, bytes;
    bool within;
  };
  const Case cases[] = {
      {"one frame that fills the buffer", 1, 100, 1, 100, true},
      {"an empty frame", 1, 100, 1, 0, true},
      {"a block of audio", 4096, kMax32, 4096, kMax32, true},
      {"no sample", 1, 100, 0, 10, false},
      {"more samples than asked", 1, 100, 2, 10, false},
      {"far more samples than asked", 4096, 100, kMax32, 100, false},
      {"more bytes than the buffer", 1, 100, 1, 101, false},
      {"a negative size", 1, 100, 1, -1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadWithinRequest(c.count, c.bufferBytes, c.samples, c.bytes), c.within) << c.what;
  }
}

TEST(PlayerArithmetic, FrameRatesWithoutALengthAreZero) {
  EXPECT_DOUBLE_EQ(FrameRateOverDuration(20, kTwoSeconds), 10.0);
  EXPECT_DOUBLE_EQ(FrameRateOverDuration(25, 25'000'000), 10.0) << "2.5 s is not 2 s";
  EXPECT_DOUBLE_EQ(FrameRateOverDuration(5, 5'000'000), 10.0) << "under a second";
  EXPECT_EQ(FrameRateOverDuration(5, 0), 0.0);
  EXPECT_EQ(FrameRateOverDuration(0, kTwoSeconds), 0.0);
  EXPECT_DOUBLE_EQ(FrameRateOverMilliseconds(30, 1500), 20.0);
  EXPECT_EQ(FrameRateOverMilliseconds(30, 0), 0.0);
  EXPECT_EQ(FrameRateOverMilliseconds(30, -1), 0.0);
}

TEST(PlayerLayout, ControlBarForEveryWidth) {
  const ControlBarLayout bar = LayOutControlBar(300, 200);
  EXPECT_EQ(bar.play, (IntRect{0, 184, 17, 200}));
  EXPECT_EQ(bar.leftEdge, (IntRect{17, 184, 24, 200}));
  EXPECT_EQ(bar.seekBar, (IntRect{24, 184, 276, 200}));
  EXPECT_EQ(bar.rightEdge, (IntRect{276, 184, 283, 200}));
  EXPECT_EQ(bar.mute, (IntRect{283, 184, 300, 200}));
  for (int width = 40; width <= 1024; ++width) {
    const ControlBarLayout b = LayOutControlBar(width, 100);
    const IntRect pieces[] = {b.play, b.leftEdge, b.seekBar, b.rightEdge, b.mute};
    int x = 0;
    for (const IntRect& piece : pieces) {
      ASSERT_EQ(piece.left, x) << "width " << width << ": each piece where the last ended";
      ASSERT_GE(piece.Width(), 0) << width;
      ASSERT_EQ(piece.top, 84);
      ASSERT_EQ(piece.bottom, 100);
      x = piece.right;
    }
    ASSERT_EQ(x, width) << "the bar spans the width";
    if (width >= 48) {
      ASSERT_EQ(b.seekBar.Width(), width - 48);
      ASSERT_EQ(b.mute.Width(), 17);
    } else {
      ASSERT_EQ(b.seekBar.Width(), 0);
    }
  }
  EXPECT_EQ(VideoRect(300, 200, true), (IntRect{0, 0, 300, 184}));
  EXPECT_EQ(VideoRect(300, 200, false), (IntRect{0, 0, 300, 200}));
  EXPECT_EQ(VideoRect(300, 10, true), (IntRect{0, 0, 300, 0})) << "never a negative height";
}

TEST(VolumeMemory, MutingTwiceStillRestoresTheVolume) {
  VolumeMemory memory;
  EXPECT_EQ(memory.SetMute(false, -300), std::nullopt) << "nothing read yet: nothing to give back";
  memory.NoteOpeningVolume(-300);
  memory.NoteOpeningVolume(-900);  // a later movie's volume does not replace it
  EXPECT_EQ(memory.SavedVolume(), -300);
  EXPECT_EQ(memory.SetMute(true, -200), kSilentVolume);
  EXPECT_EQ(memory.SavedVolume(), -200) << "the volume when muted";
  EXPECT_EQ(memory.SetMute(true, kSilentVolume), kSilentVolume);
  EXPECT_EQ(memory.SavedVolume(), -200) << "muting again keeps what muting saved";
  EXPECT_EQ(memory.SetMute(false, kSilentVolume), -200);
  EXPECT_FALSE(memory.Muted());
  // A movie without sound tells no volume; muting it keeps the saved one.
  EXPECT_EQ(memory.SetMute(true, std::nullopt), kSilentVolume);
  EXPECT_EQ(memory.SetMute(false, std::nullopt), -200);
}

TEST(EngineRoute, ExtensionsAndMciStyles) {
  EXPECT_EQ(RouteFor("C:\\films\\holiday.MOV"), EngineRoute::QuickTime);
  EXPECT_EQ(RouteFor("a.mov"), EngineRoute::QuickTime);
  EXPECT_EQ(RouteFor("C:\\music\\song.MP3"), EngineRoute::Sound);
  EXPECT_EQ(RouteFor("x.wav"), EngineRoute::Sound);
  EXPECT_EQ(RouteFor("x.Wma"), EngineRoute::Sound);
  EXPECT_EQ(RouteFor("clip.avi"), EngineRoute::Graph);
  EXPECT_EQ(RouteFor("C:\\a.mov\\clip"), EngineRoute::Graph) << "the last component's extension";
  EXPECT_EQ(RouteFor("clip.mpg"), EngineRoute::Graph);
  for (const char* phone : {"VID_0001.MP4", "a.m4v", "b.3GP"}) {
    EXPECT_EQ(RouteFor(phone), EngineRoute::LibraryThenGraph) << phone;
  }
  EXPECT_EQ(MciWindowStyle(false, true), 0xC008u);
  EXPECT_EQ(MciWindowStyle(true, true), 0xC10Au);
  EXPECT_EQ(MciWindowStyle(false, false), 0xC00Au);
  EXPECT_EQ(MciWindowStyle(true, false), 0xC10Au);
}

TEST(EngineRoute, OnlyFilesThatCouldHoldAMovieGoToTheDecoders) {
  const std::string avi = std::string("RIFF\x40\x10\0\0AVI LIST\xC0\0\0\0hdrl", 24);
  const std::string mpeg = std::string("\0\0\x01\xBA", 4) + std::string(20, '\x44');
  const struct {
    std::string head;
    uint64_t size;
    bool movie;
  } cases[] = {
      {avi, 4096, true},
      {avi, 88, true},
      {avi, 87, false},                                               // shorter than any movie
      {avi.substr(0, 16), 4096, false},                               // a head cut short
      {"RIFF\x10\0\0\0AVI junk" + std::string(8, 'j'), 4096, false},  // an AVI without its header list
      {std::string("RIFF\x40\x10\0\0WAVEfmt ", 16) + std::string(8, '\0'), 4096, true},  // another RIFF form
      {mpeg, 4096, true},  // not an AVI: the decoders decide
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CouldBeMovie(reinterpret_cast<const uint8_t*>(c.head.data()), c.head.size(), c.size), c.movie)
        << c.head.substr(0, 12) << " of " << c.size << " bytes";
  }
}

// One top-level atom: its 32-bit size (or 1 and a 64-bit size), its type, `body` bytes.
std::string Atom(const char* type, size_t body, uint64_t claimed = 0, bool wide = false) {
  const uint64_t size = claimed ? claimed : body + (wide ? 16 : 8);
  std::string atom;
  const auto put32 = [&atom](uint64_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) atom += static_cast<char>((v >> shift) & 0xFF);
  };
  put32(wide ? 1 : size);
  atom += type;
  if (wide) put32(size >> 32), put32(size & 0xFFFFFFFFu);
  return atom + std::string(body, 'x');
}

TEST(EngineRoute, OnlyMovFilesWithTheirMovieAtomWholeGoToTheLibrary) {
  const std::string ftyp = Atom("ftyp", 12);
  const struct {
    const char* what;
    std::string file;
    bool movie;
  } cases[] = {
      {"type, data, movie", ftyp + Atom("mdat", 500) + Atom("moov", 300), true},
      {"movie first, data cut short", Atom("moov", 300) + Atom("mdat", 10, 5000), true},
      {"data with a 64-bit size", ftyp + Atom("mdat", 40, 0, true) + Atom("moov", 30), true},
      {"movie to the end of the file", ftyp + Atom("moov", 64, 0).replace(0, 4, std::string(4, '\0')), true},
      {"no movie atom", ftyp + Atom("mdat", 500) + Atom("free", 20), false},
      {"the movie atom cut short", ftyp + Atom("mdat", 500) + Atom("moov", 100, 400), false},
      {"data running to the end", ftyp + Atom("mdat", 500, 0).replace(0, 4, std::string(4, '\0')), false},
      {"an atom shorter than its header", ftyp + Atom("mdat", 0, 4) + Atom("moov", 30), false},
      {"a 64-bit size shorter than its header", ftyp + Atom("mdat", 0, 12, true) + Atom("moov", 30), false},
      {"a 64-bit size past every offset", ftyp + Atom("mdat", 0, ~uint64_t{0}, true) + Atom("moov", 30), false},
      {"garbage", std::string(300, '\xA7'), false},
      {"shorter than a header", "\0\0", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CouldBeQuickTimeMovie(ReadFromMemory(c.file.data(), c.file.size()), c.file.size()), c.movie) << c.what;
  }
  // A run of empty "free" atoms longer than the walk allows.
  std::string many;
  for (int i = 0; i < kMovieAtomLimit; ++i) many += Atom("free", 0);
  many += Atom("moov", 8);
  EXPECT_FALSE(CouldBeQuickTimeMovie(ReadFromMemory(many.data(), many.size()), many.size()));
}

TEST(EngineRoute, OnlyAvisWithTheirWholeSkeletonGoToTheDecoders) {
  const std::vector<uint8_t> bytes = testing::EncodeAvi(testing::SolidAvi(16, 8, 10, 3, 0x123456));
  const std::string avi(bytes.begin(), bytes.end());
  const size_t movi = avi.find("movi");
  ASSERT_NE(movi, std::string::npos);
  std::string noisy = avi.substr(0, 24);
  for (int i = 0; noisy.size() < 4096; ++i) noisy += static_cast<char>(i * 73 + 11);
  std::string hugeMainHeader = avi;
  hugeMainHeader[28] = '\xFF', hugeMainHeader[29] = '\xFF';
  std::string noStreams = avi;
  noStreams.replace(noStreams.find("strl"), 4, "strx");
  const struct {
    const char* what;
    std::string name;
    std::string file;
    bool movie;
  } cases[] = {
      {"a whole AVI", "a.avi", avi, true},
      {"cut inside its movie data", "a.AVI", avi.substr(0, movi + 40), true},
      {"cut before its movie data", "a.avi", avi.substr(0, movi - 8), false},
      {"cut inside its headers", "a.avi", avi.substr(0, 100), false},
      {"a RIFF head followed by noise", "a.avi", noisy, false},
      {"noise", "a.avi", std::string(4096, '\x5A'), false},
      {"a main header larger than its list", "a.avi", hugeMainHeader, false},
      {"no stream list", "a.avi", noStreams, false},
      {"an AVI under another name", "a.mpg", avi, true},
      {"a broken AVI under another name", "a.mpg", noisy, false},
      {"another kind under another name", "a.mpg", std::string("\0\0\x01\xBA", 4) + std::string(200, 'm'), true},
      {"an AVI named .mov", "a.mov", avi, true},
      {"a broken AVI named .mov", "a.mov", noisy, false},
      {"a phone video without its movie atom", "a.MP4", std::string(4096, '\x5A'), false},
      {"a phone video cut before its movie atom", "a.3gp", Atom("ftyp", 12) + Atom("mdat", 100, 900), false},
      {"a whole phone video", "a.m4v", Atom("ftyp", 12) + Atom("mdat", 100) + Atom("moov", 40), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CouldBeMovieFile(c.name, ReadFromMemory(c.file.data(), c.file.size()), c.file.size()), c.movie) << c.what;
  }
}

TEST(MoviePlacement, ZoomedSides) {
  EXPECT_EQ(ZoomMovieSide(320, 0.1484375), 47);
  EXPECT_EQ(ZoomMovieSide(320, 1000), 320000);
  EXPECT_EQ(ZoomMovieSide(320, std::numeric_limits<double>::infinity()), std::numeric_limits<int>::max());
  EXPECT_EQ(ZoomMovieSide(320, std::nan("")), 0);
  EXPECT_EQ(ZoomMovieSide(320, -2), 0);
}

TEST(MovieEnds, ByTheirFramesByStandingStillOrByTheCeiling) {
  // The last frame stays as long as the gap before it, two seconds at most.
  EXPECT_EQ(LastFrameHold(1'000'000, 0), 1'000'000);
  EXPECT_EQ(LastFrameHold(90'000'000, 10'000'000), kLastFrameHoldMax) << "a long gap is cut";
  EXPECT_EQ(LastFrameHold(5'000'000, -1), kLastFrameHoldMax) << "a lone frame";
  EXPECT_EQ(LastFrameHold(5'000'000, 6'000'000), kLastFrameHoldMax) << "out of order";
  EXPECT_EQ(LastFrameHold(INT64_MAX, 0), kLastFrameHoldMax) << "the widest gap";

  ProgressWatch watch(3000);
  watch.Restart(100);
  const struct {
    int64_t position, now;
    bool stalled;
  } steps[] = {
      {5, 100, false},  {5, 3099, false}, {5, 3100, true},  // still for exactly the stall time
      {6, 3200, false}, {6, 6199, false}, {6, 50, false},   // a clock reading earlier counts as none
      {6, 6200, true},  {7, 6300, false},
  };
  for (const auto& s : steps) EXPECT_EQ(watch.Stalled(s.position, s.now), s.stalled) << s.position << " at " << s.now;
  watch.Restart(10'000);
  EXPECT_FALSE(watch.Stalled(7, 20'000)) << "a restart forgets the old position";

  EXPECT_EQ(MovieLimitPeriod(0), 0u);
  EXPECT_EQ(MovieLimitPeriod(600), 600'000u);
  EXPECT_EQ(MovieLimitPeriod(0xFFFFFFFFu), 0xFFFFFFFFu) << "saturates at the timer's range";
}

}  // namespace
}  // namespace glintora
