#pragma once
// Unique temporary files in the user's temporary folder.

#include <string>

namespace glintora {

// Creates an empty file with a unique name starting with `prefix` in the temporary folder
// and returns its path; empty when none could be made.
std::string CreateTemporaryFile(const std::string& prefix);

}  // namespace glintora
