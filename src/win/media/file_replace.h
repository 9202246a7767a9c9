#pragma once
// Saving a movie over a file that may be the one being read: it is written whole into a
// temporary file beside the target and only then moved over it, so a failure never costs the
// target, and nothing is deleted before the new file exists.

#include <string>

namespace glintora {

// Whether two names are one file (full paths, any case).
bool SameFile(const std::string& a, const std::string& b);
// A new empty temporary file in the target's folder; empty when none can be made there, or
// when the target's name is past the path limit (it is refused, never cut).
std::string TemporaryBeside(const std::string& target);
// Moves `temporary` over `target`; on failure removes `temporary` and leaves the target.
bool ReplaceWith(const std::string& temporary, const std::string& target);

}  // namespace glintora
