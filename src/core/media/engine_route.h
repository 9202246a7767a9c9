#pragma once
// Which of the player's engines plays a file, and the style of the MCI window.

#include <cstddef>
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

// Whether a file could hold a movie at all, from its size and its first kMovieHeadBytes
// bytes (fewer when the file is shorter). What cannot is never handed to the system's
// decoders: some take seconds over garbage, or never return. Any movie is longer than the
// smallest AVI header (RIFF, its header list and main header: 88 bytes), and a file that says
// it is an AVI must begin with that header list.
inline constexpr size_t kMovieHeadBytes = 24;
inline constexpr uint64_t kSmallestMovieBytes = 88;
bool CouldBeMovie(const uint8_t* head, size_t headSize, uint64_t fileSize);

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
