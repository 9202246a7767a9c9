#pragma once
// The atoms of a movie file in the QuickTime layout, which phone videos (".mp4", ".m4v",
// ".3gp") share: a run of atoms, each a 32-bit big-endian size that counts its own header
// (1: a 64-bit size follows the type; 0: the atom runs to the end of what holds it) and a
// four-letter type; container atoms ("moov", "trak", ...) hold a run of atoms as their body.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace glintora {

// Reads `size` bytes at `offset` of a file into `out`; false when they are not all there.
using ReadFileAt = std::function<bool(uint64_t offset, uint8_t* out, size_t size)>;

// Reads from `size` bytes at `data`, which must outlive the reader.
ReadFileAt ReadFromMemory(const void* data, size_t size);

// At most this many atoms are walked at each level.
inline constexpr int kMovieAtomLimit = 1024;

struct MovieAtom {
  uint64_t offset = 0;      // of its header in the file
  uint64_t headerSize = 8;  // 8, or 16 with a 64-bit size
  uint64_t size = 0;        // header included
  char type[4] = {};

  bool Is(std::string_view code) const { return std::string_view(type, 4) == code; }
  uint64_t BodyOffset() const { return offset + headerSize; }
  uint64_t BodyEnd() const { return offset + size; }
};

// Calls `visit` for each atom of [begin, end) in order and answers true as soon as it does.
// False when every atom was visited, or at an atom that cannot be read or does not fit in
// [begin, end), or after kMovieAtomLimit atoms.
bool WalkMovieAtoms(const ReadFileAt& read, uint64_t begin, uint64_t end,
                    const std::function<bool(const MovieAtom&)>& visit);

// The first atom of `type` in [begin, end); false when there is none (or the walk fails).
bool FindMovieAtom(const ReadFileAt& read, uint64_t begin, uint64_t end, std::string_view type, MovieAtom& found);

}  // namespace glintora
