#include "core/media/engine_route.h"

#include <array>
#include <string>

#include "core/base/text.h"

namespace glintora {
namespace {

uint32_t ReadBigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}

}  // namespace

EngineRoute RouteFor(std::string_view path) {
  const std::string extension = ToLowerAscii(PathExtension(path));
  if (extension == ".mov") return EngineRoute::QuickTime;
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
  uint8_t head[16];
  if (!read(0, head, 12)) return false;
  if (std::string_view(reinterpret_cast<const char*>(head), 4) == "RIFF" &&
      std::string_view(reinterpret_cast<const char*>(head) + 8, 4) == "AVI ") {
    return true;
  }
  uint64_t offset = 0;
  for (int atom = 0; atom < kMovieAtomLimit && offset < fileSize; ++atom) {
    // Bytes 0-3: the size; 4-7: the type; 8-15: the 64-bit size when the first says 1.
    if (fileSize - offset < 8 || !read(offset, head, 8)) return false;
    uint64_t size = ReadBigEndian32(head);
    uint64_t headerSize = 8;
    if (size == 1) {
      if (fileSize - offset < 16 || !read(offset + 8, head + 8, 8)) return false;
      size = static_cast<uint64_t>(ReadBigEndian32(head + 8)) << 32 | ReadBigEndian32(head + 12);
      headerSize = 16;
    } else if (size == 0) {
      size = fileSize - offset;
    }
    if (size < headerSize || size > fileSize - offset) return false;
    if (std::string_view(reinterpret_cast<const char*>(head) + 4, 4) == "moov") return true;
    offset += size;
  }
  return false;
}

uint32_t MciWindowStyle(bool sound, bool controlsVisible) {
  uint32_t style = kMciNoOpen | kMciNoErrorDialog | kMciNoMenu;
  if (sound) style |= kMciNotifyMode | kMciNoPlayBar;
  if (!controlsVisible) style |= kMciNoPlayBar;
  return style;
}

}  // namespace glintora
