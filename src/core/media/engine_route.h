#pragma once
// Which of the player's engines plays a file, and the style of the MCI window.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/media/movie_atoms.h"

namespace glintora {

enum class EngineRoute {
  QuickTime,  // ".mov": the movie library's window
  Sound,      // ".wav", ".mp3", ".wma": the MCI window, which tells when the sound stops
  Graph,      // everything else: the DirectShow graph, the MCI window when that fails
  // Phone videos (".mp4", ".m4v", ".3gp"): the movie library's window where the library reads
  // the file (H.264 on Windows, HEVC with the system's codec), else the DirectShow graph.
  LibraryThenGraph,
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

// Whether a ".mov" file (or a phone video) holds its movie atom whole: the file is a run of
// top-level atoms (see movie_atoms.h), and one of them is "moov" and ends within the file.
// Files cut short or of another kind are never handed to the movie library, which may not come
// back from them. An AVI under this name passes when it holds its whole skeleton
// (CouldBeAviMovie; the library reads those too).
bool CouldBeQuickTimeMovie(const ReadFileAt& read, uint64_t fileSize);

// Whether an AVI holds the skeleton every player reads first: "RIFF" and the form "AVI ",
// then the header list "hdrl" within the file, beginning with a main header "avih" of at
// least kAviMainHeaderBytes bytes that ends inside the list, the list holding a stream list
// "strl", and among the top-level chunks a "movi" list that begins within the file. Chunk
// sizes are little-endian and exclude the 8-byte chunk header; chunks are padded to even
// sizes. At most kMovieAtomLimit chunks are walked at each level.
inline constexpr uint32_t kAviMainHeaderBytes = 56;
bool CouldBeAviMovie(const ReadFileAt& read, uint64_t fileSize);

// Every check made before a movie file reaches the system's decoders: a name ending ".avi"
// (any case) or a RIFF AVI head must hold the whole AVI skeleton, a ".mov" or a phone video
// its movie atom, anything else the general head check.
bool CouldBeMovieFile(std::string_view path, const ReadFileAt& read, uint64_t fileSize);

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
