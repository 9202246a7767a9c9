#include "core/media/engine_route.h"

#include <array>
#include <string>

#include "core/base/text.h"

namespace glintora {

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

uint32_t MciWindowStyle(bool sound, bool controlsVisible) {
  uint32_t style = kMciNoOpen | kMciNoErrorDialog | kMciNoMenu;
  if (sound) style |= kMciNotifyMode | kMciNoPlayBar;
  if (!controlsVisible) style |= kMciNoPlayBar;
  return style;
}

}  // namespace glintora
