#include "core/media/engine_route.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/base/byte_order.h"
#include "core/base/text.h"

namespace glintora {
namespace {

bool IsCode(const uint8_t* p, std::string_view code) {
  return std::string_view(reinterpret_cast<const char*>(p), 4) == code;
}

bool IsPhoneVideoExtension(std::string_view lowerExtension) {
  return lowerExtension == ".mp4" || lowerExtension == ".m4v" || lowerExtension == ".3gp";
}

bool IsRiffAvi(const uint8_t* head) { return IsCode(head, "RIFF") && IsCode(head + 8, "AVI "); }

// Walks the chunks in [begin, end) and calls `visit(offset, code, size, form)` for each (the
// form is the list's type, read only for "LIST" chunks that have one); stops when `visit`
// answers true (then true) or at a chunk that does not fit. Each chunk's header must lie
// within `end`; its body may run past it only when `cutAllowed`.
template <typename Visit>
bool WalkChunks(const ReadFileAt& read, uint64_t begin, uint64_t end, bool cutAllowed, Visit visit) {
  uint64_t offset = begin;
  for (int chunk = 0; chunk < kMovieAtomLimit && offset < end && end - offset >= 8; ++chunk) {
    uint8_t header[12];
    if (!read(offset, header, 8)) return false;
    const uint64_t size = LoadLittleEndian32(header + 4);
    const bool list = IsCode(header, "LIST");
    if (list && (size < 4 || end - offset < 12 || !read(offset + 8, header + 8, 4))) return false;
    if (!cutAllowed && size > end - offset - 8) return false;
    if (visit(offset, header, size, list ? header + 8 : nullptr)) return true;
    offset += 8 + size + (size & 1);
  }
  return false;
}

}  // namespace

EngineRoute RouteFor(std::string_view path) {
  const std::string extension = ToLowerAscii(PathExtension(path));
  if (extension == ".mov") return EngineRoute::QuickTime;
  if (IsPhoneVideoExtension(extension)) return EngineRoute::LibraryThenGraph;
  static constexpr std::array<std::string_view, 3> kSounds = {".wav", ".mp3", ".wma"};
  for (std::string_view sound : kSounds) {
    if (extension == sound) return EngineRoute::Sound;
  }
  return EngineRoute::Graph;
}

bool CouldBeMovie(const uint8_t* head, size_t headSize, uint64_t fileSize) {
  if (fileSize < kSmallestMovieBytes || headSize < kMovieHeadBytes) return false;
  const auto at = [head](size_t offset, std::string_view code) {
    return std::string_view(reinterpret_cast<const char*>(head) + offset, 4) == code;
  };
  // Bytes 0-11: "RIFF", the size, the form "AVI "; 12-23: "LIST", its size, "hdrl".
  if (at(0, "RIFF") && at(8, "AVI ")) return at(12, "LIST") && at(20, "hdrl");
  return true;
}

bool CouldBeQuickTimeMovie(const ReadFileAt& read, uint64_t fileSize) {
  uint8_t head[12];
  if (!read(0, head, 12)) return false;
  if (IsRiffAvi(head)) return CouldBeAviMovie(read, fileSize);
  MovieAtom movie;
  return FindMovieAtom(read, 0, fileSize, "moov", movie);
}

bool CouldBeAviMovie(const ReadFileAt& read, uint64_t fileSize) {
  uint8_t head[24];
  if (fileSize < kSmallestMovieBytes || !read(0, head, 24) || !IsRiffAvi(head)) return false;
  if (!IsCode(head + 12, "LIST") || !IsCode(head + 20, "hdrl")) return false;
  const uint64_t headersEnd = 20 + static_cast<uint64_t>(LoadLittleEndian32(head + 16));
  if (headersEnd > fileSize || headersEnd < 32 + kAviMainHeaderBytes) return false;
  // The header list: the main header first, then at least one stream list.
  uint8_t main[8];
  if (!read(24, main, 8) || !IsCode(main, "avih")) return false;
  const uint32_t mainSize = LoadLittleEndian32(main + 4);
  if (mainSize < kAviMainHeaderBytes || mainSize > headersEnd - 32) return false;
  const bool streams = WalkChunks(read, 24, headersEnd, false, [](uint64_t, const uint8_t*, uint64_t, const uint8_t* form) {
    return form && IsCode(form, "strl");
  });
  if (!streams) return false;
  // The movie data: a top-level list that may be cut short, but must begin in the file.
  return WalkChunks(read, 12, fileSize, true, [](uint64_t, const uint8_t*, uint64_t, const uint8_t* form) {
    return form && IsCode(form, "movi");
  });
}

bool CouldBeMovieFile(std::string_view path, const ReadFileAt& read, uint64_t fileSize) {
  uint8_t head[kMovieHeadBytes] = {};
  const size_t count = static_cast<size_t>(std::min<uint64_t>(fileSize, kMovieHeadBytes));
  if (!read(0, head, count)) return false;
  const std::string extension = ToLowerAscii(PathExtension(path));
  if (extension == ".avi" || (count >= 12 && IsRiffAvi(head))) return CouldBeAviMovie(read, fileSize);
  if (extension == ".mov" || IsPhoneVideoExtension(extension)) return CouldBeQuickTimeMovie(read, fileSize);
  return CouldBeMovie(head, count, fileSize);
}

uint32_t MciWindowStyle(bool sound, bool controlsVisible) {
  uint32_t style = kMciNoOpen | kMciNoErrorDialog | kMciNoMenu;
  if (sound) style |= kMciNotifyMode | kMciNoPlayBar;
  if (!controlsVisible) style |= kMciNoPlayBar;
  return style;
}

}  // namespace glintora
