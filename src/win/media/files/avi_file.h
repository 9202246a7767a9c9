#pragma once
// What the player does with the AVI file functions: read a movie's frame size, and copy a
// frame range of a movie into a new file that is checked to hold it all.

#include <cstdint>
#include <string>

namespace glintora {

// The frame size of the first video stream; false when the file has none or does not open.
// The file and the library are released on every path.
bool AviVideoSize(const std::string& path, int& width, int& height);

// Writes frames [first, last) of `source` (widened to the key frames at or before `first` and
// at or after `last`) with the audio of the same time into a new AVI file `target`, which
// must not be `source`, closes it and reads it back (AviHoldsCopy). False when anything fails
// or would be lost, the sound included; what was written at `target` is then the caller's to
// remove. The library and every stream are released before it returns.
bool CopyAviSelection(const std::string& source, const std::string& target, int first, int last);

// Whether the AVI file at `path` reads back as a copy of `videoSamples` video samples and
// `audioSamples` audio samples (no sound stream at all when 0), both from 0, and holds every
// byte its RIFF header claims.
bool AviHoldsCopy(const std::string& path, int32_t videoSamples, int32_t audioSamples);

}  // namespace glintora
