#include "core/media/track_turn.h"

#include "core/base/byte_order.h"

namespace glintora {
namespace {

constexpr int32_t kOne = 0x10000;      // 1 in 16.16
constexpr int32_t kOneW = 0x40000000;  // 1 in 2.30

// The track header's body (after the atom header), version 0 | version 1:
//   0      version (1 byte), flags (3 bytes)
//   4      creation time         4 | 8
//          modification time     4 | 8
//          track id              4
//          reserved              4
//          duration              4 | 8
//   24|36  reserved (8), layer (2), alternate group (2), volume (2), reserved (2)
//   40|52  the matrix, 9 × 4 bytes
//   76|88  width, height: 16.16 each, the picture's size before the matrix
constexpr uint64_t kMatrixOffsetV0 = 40;
constexpr uint64_t kMatrixOffsetV1 = 52;
constexpr uint64_t kMatrixBytes = 36;
constexpr uint64_t kSizeBytes = 8;

// The turn of one track header; false when it has no picture size (or cannot be read).
bool ReadTrackHeaderTurn(const ReadFileAt& read, const MovieAtom& header, int& turn) {
  uint8_t version = 0;
  if (header.size - header.headerSize < 1 || !read(header.BodyOffset(), &version, 1)) return false;
  const uint64_t matrixOffset = version == 1 ? kMatrixOffsetV1 : kMatrixOffsetV0;
  if (header.size - header.headerSize < matrixOffset + kMatrixBytes + kSizeBytes) return false;
  uint8_t bytes[kMatrixBytes + kSizeBytes];
  if (!read(header.BodyOffset() + matrixOffset, bytes, sizeof bytes)) return false;
  if (LoadBigEndian32(bytes + kMatrixBytes) == 0 || LoadBigEndian32(bytes + kMatrixBytes + 4) == 0) return false;
  TrackMatrix matrix;
  for (int i = 0; i < 9; ++i) matrix[i] = static_cast<int32_t>(LoadBigEndian32(bytes + 4 * i));
  turn = TurnOfTrackMatrix(matrix);
  return true;
}

}  // namespace

int TurnOfTrackMatrix(const TrackMatrix& matrix) {
  const int32_t a = matrix[0], b = matrix[1], u = matrix[2];
  const int32_t c = matrix[3], d = matrix[4], v = matrix[5], w = matrix[8];
  if (u != 0 || v != 0 || w != kOneW) return 0;
  struct Turn {
    int32_t a, b, c, d;
    int degrees;
  };
  static constexpr Turn kTurns[] = {
      {0, kOne, -kOne, 0, 90},
      {-kOne, 0, 0, -kOne, 180},
      {0, -kOne, kOne, 0, 270},
  };
  for (const Turn& turn : kTurns) {
    if (a == turn.a && b == turn.b && c == turn.c && d == turn.d) return turn.degrees;
  }
  return 0;
}

int ReadMovieTurn(const ReadFileAt& read, uint64_t fileSize) {
  MovieAtom movie;
  if (!FindMovieAtom(read, 0, fileSize, "moov", movie)) return 0;
  int turn = 0;
  WalkMovieAtoms(read, movie.BodyOffset(), movie.BodyEnd(), [&](const MovieAtom& track) {
    MovieAtom header;
    return track.Is("trak") && FindMovieAtom(read, track.BodyOffset(), track.BodyEnd(), "tkhd", header) &&
           ReadTrackHeaderTurn(read, header, turn);
  });
  return turn;
}

}  // namespace glintora
