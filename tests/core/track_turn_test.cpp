// The turn phone videos are stored with: the track header's matrix, found through the movie
// atom, and the frames turned by it.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/media/track_turn.h"
#include "core/media/video_frame.h"

namespace glintora {
namespace {

constexpr int32_t kOne = 0x10000;
constexpr int32_t kOneW = 0x40000000;

std::string BigEndian32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Atom(const char* type, const std::string& body) {
  return BigEndian32(static_cast<uint32_t>(body.size() + 8)) + type + body;
}

// A track header of `version` (0 or 1) with `matrix` and a picture of width × height.
std::string TrackHeader(int version, const std::vector<int32_t>& matrix, int width, int height) {
  std::string body(1, static_cast<char>(version));
  body += std::string(3, '\0');                       // flags
  body += std::string(version == 1 ? 32 : 20, '\0');  // times, track id, reserved, duration
  body += std::string(16, '\0');                      // reserved, layer, group, volume, reserved
  for (int32_t entry : matrix) body += BigEndian32(static_cast<uint32_t>(entry));
  return Atom("tkhd", body + BigEndian32(static_cast<uint32_t>(width) << 16) +
                          BigEndian32(static_cast<uint32_t>(height) << 16));
}

const std::vector<int32_t> kIdentity = {kOne, 0, 0, 0, kOne, 0, 0, 0, kOneW};
const std::vector<int32_t> kQuarter = {0, kOne, 0, -kOne, 0, 0, 240 * kOne, 0, kOneW};

TEST(TrackTurn, OnlyExactQuarterTurnsTurn) {
  const struct {
    const char* what;
    std::vector<int32_t> matrix;
    int turn;
  } cases[] = {
      {"identity", kIdentity, 0},
      {"a quarter turn clockwise, moved back into view", kQuarter, 90},
      {"a half turn", {-kOne, 0, 0, 0, -kOne, 0, 320 * kOne, 240 * kOne, kOneW}, 180},
      {"three quarters", {0, -kOne, 0, kOne, 0, 0, 0, 320 * kOne, kOneW}, 270},
      {"mirrored left to right", {-kOne, 0, 0, 0, kOne, 0, 0, 0, kOneW}, 0},
      {"a quarter turn and a mirror", {0, kOne, 0, kOne, 0, 0, 0, 0, kOneW}, 0},
      {"a quarter turn scaled twice", {0, 2 * kOne, 0, -2 * kOne, 0, 0, 0, 0, kOneW}, 0},
      {"perspective", {0, kOne, 1, -kOne, 0, 0, 0, 0, kOneW}, 0},
      {"w of zero", {0, kOne, 0, -kOne, 0, 0, 0, 0, 0}, 0},
  };
  for (const auto& c : cases) {
    TrackMatrix matrix;
    std::copy(c.matrix.begin(), c.matrix.end(), matrix);
    EXPECT_EQ(TurnOfTrackMatrix(matrix), c.turn) << c.what;
  }
}

TEST(TrackTurn, TheFirstTrackWithAPictureSizeTellsTheTurn) {
  const std::string ftyp = Atom("ftyp", "mp42\0\0\0\0isommp42");
  const std::string mdat = Atom("mdat", std::string(64, 'd'));
  const std::string mvhd = Atom("mvhd", std::string(100, '\0'));
  const auto movie = [&](const std::string& tracks) { return ftyp + mdat + Atom("moov", mvhd + tracks); };
  const std::string sound = Atom("trak", TrackHeader(0, kQuarter, 0, 0) + Atom("mdia", ""));
  const std::string upright = Atom("trak", TrackHeader(0, kIdentity, 320, 240));
  const std::string quarter = Atom("trak", TrackHeader(0, kQuarter, 320, 240) + Atom("mdia", std::string(20, 'm')));
  const std::string threeQuartersV1 = Atom("trak", TrackHeader(1, {0, -kOne, 0, kOne, 0, 0, 0, 0, kOneW}, 320, 240));
  const struct {
    const char* what;
    std::string file;
    int turn;
  } cases[] = {
      {"a turned video track", movie(quarter), 90},
      {"a version-1 header", movie(threeQuartersV1), 270},
      {"sound first: its matrix does not count", movie(sound + quarter), 90},
      {"the first picture track counts", movie(upright + quarter), 0},
      {"a track without a header is passed over", movie(Atom("trak", Atom("mdia", "")) + quarter), 90},
      {"only sound", movie(sound), 0},
      {"a header too short for its matrix", movie(Atom("trak", Atom("tkhd", std::string(50, '\0')))), 0},
      {"no movie atom", ftyp + mdat, 0},
      {"the movie atom cut short", movie(quarter).substr(0, ftyp.size() + mdat.size() + 60), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadMovieTurn(ReadFromMemory(c.file.data(), c.file.size()), c.file.size()), c.turn) << c.what;
}

TEST(TrackTurn, FramesTurnClockwise) {
  // 3 × 2:  1 2 3
  //         4 5 6
  VideoFrame stored{3, 2, {1, 2, 3, 4, 5, 6}, 1234};
  const struct {
    int degrees;
    int width, height;
    std::vector<uint32_t> pixels;
  } cases[] = {
      {0, 3, 2, {1, 2, 3, 4, 5, 6}},
      {90, 2, 3, {4, 1, 5, 2, 6, 3}},
      {180, 3, 2, {6, 5, 4, 3, 2, 1}},
      {270, 2, 3, {3, 6, 2, 5, 1, 4}},
  };
  VideoFrame shown{7, 7, std::vector<uint32_t>(49, 9), -1};  // a reused buffer of another size
  for (const auto& c : cases) {
    TurnVideoFrame(stored, c.degrees, shown);
    EXPECT_EQ(shown.width, c.width) << c.degrees;
    EXPECT_EQ(shown.height, c.height) << c.degrees;
    EXPECT_EQ(shown.pixels, c.pixels) << c.degrees;
    EXPECT_EQ(shown.time, 1234) << c.degrees;
  }
}

}  // namespace
}  // namespace glintora
