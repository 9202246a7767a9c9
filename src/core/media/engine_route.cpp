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

uint32_t MciWindowStyle(bool sound, bool controlsVisible) {
  uint32_t style = kMciNoOpen | kMciNoErrorDialog | kMciNoMenu;
  if (sound) style |= kMciNotifyMode | kMciNoPlayBar;
  if (!controlsVisible) style |= kMciNoPlayBar;
  return style;
}

}  // namespace glintora
