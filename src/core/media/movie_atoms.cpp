#include "core/media/movie_atoms.h"

#include <cstring>

#include "core/base/byte_order.h"

namespace glintora {

ReadFileAt ReadFromMemory(const void* data, size_t size) {
  return [bytes = static_cast<const uint8_t*>(data), size](uint64_t offset, uint8_t* out, size_t count) {
    if (offset > size || size - offset < count) return false;
    if (count) std::memcpy(out, bytes + offset, count);
    return true;
  };
}

bool WalkMovieAtoms(const ReadFileAt& read, uint64_t begin, uint64_t end,
                    const std::function<bool(const MovieAtom&)>& visit) {
  uint64_t offset = begin;
  for (int count = 0; count < kMovieAtomLimit && offset < end; ++count) {
    // Bytes 0-3: the size; 4-7: the type; 8-15: the 64-bit size when the first says 1.
    uint8_t head[16];
    if (end - offset < 8 || !read(offset, head, 8)) return false;
    MovieAtom atom;
    atom.offset = offset;
    atom.size = LoadBigEndian32(head);
    if (atom.size == 1) {
      if (end - offset < 16 || !read(offset + 8, head + 8, 8)) return false;
      atom.size = static_cast<uint64_t>(LoadBigEndian32(head + 8)) << 32 | LoadBigEndian32(head + 12);
      atom.headerSize = 16;
    } else if (atom.size == 0) {
      atom.size = end - offset;
    }
    if (atom.size < atom.headerSize || atom.size > end - offset) return false;
    for (int i = 0; i < 4; ++i) atom.type[i] = static_cast<char>(head[4 + i]);
    if (visit(atom)) return true;
    offset += atom.size;
  }
  return false;
}

bool FindMovieAtom(const ReadFileAt& read, uint64_t begin, uint64_t end, std::string_view type, MovieAtom& found) {
  return WalkMovieAtoms(read, begin, end, [&](const MovieAtom& atom) {
    if (!atom.Is(type)) return false;
    found = atom;
    return true;
  });
}

}  // namespace glintora
