#pragma once
// What the player does with the AVI file functions: read a movie's frame size, and copy a
// frame range of a movie into a new file.

#include <string>

namespace glintora {

// The frame size of the first video stream; false when the file has none or does not open.
// The file and the library are released on every path.
bool AviVideoSize(const std::string& path, int& width, int& height);

// Writes frames [first, last) of `source` (widened to the key frames at or before `first` and
// at or after `last`) with the audio of the same time into a new AVI file `target`, which
// must not be `source`. False when anything fails; what was written at `target` is then the caller's to
// remove. The library and every stream are released before it returns.
bool CopyAviSelection(const std::string& source, const std::string& target, int first, int last);

}  // namespace glintora
