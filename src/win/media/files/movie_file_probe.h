#pragma once
// Looks at a movie file before the system's decoders do: files that cannot hold a movie are
// never handed to them (see CouldBeMovie and CouldBeQuickTimeMovie).

#include <string>

namespace glintora {

// Whether the file could hold a movie by its name, size and skeleton (CouldBeMovieFile); false
// when it cannot be read.
bool FileCouldBeMovie(const std::string& path);
// Whether the file holds its movie atom whole (or is an AVI); false when it cannot be read.
bool FileCouldBeQuickTimeMovie(const std::string& path);
// The clockwise turn that stands the movie's pictures upright (ReadMovieTurn); 0 when it
// cannot be read.
int FileMovieTurn(const std::string& path);

}  // namespace glintora
