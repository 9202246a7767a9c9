#pragma once
// Which of the player's engines plays a file, and the style of the MCI window.

#include <cstdint>
#include <string_view>

namespace glintora {

enum class EngineRoute {
  QuickTime,  // ".mov": the movie library's window
  Sound,      // ".wav", ".mp3", ".wma": the MCI window, which tells when the sound stops
  Graph,      // everything else: the DirectShow graph, the MCI window when that fails
};

// By the file's extension, in any case.
EngineRoute RouteFor(std::string_view path);

// MCI window styles (the window functions' own flag values).
inline constexpr uint32_t kMciNoPlayBar = 0x0002;
inline constexpr uint32_t kMciNoMenu = 0x0008;
inline constexpr uint32_t kMciNotifyMode = 0x0100;
inline constexpr uint32_t kMciNoErrorDialog = 0x4000;
inline constexpr uint32_t kMciNoOpen = 0x8000;

// No open or error dialogs and no menu; a sound also tells its mode changes and has no play
// bar; nothing has a play bar while the player's controls are hidden.
uint32_t MciWindowStyle(bool sound, bool controlsVisible);

}  // namespace glintora
