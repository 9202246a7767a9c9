#pragma once
// The ".mov" movies made for the tests before they run (tests/make_movies.sh), found through
// GLINTORA_MOVIES, the folder's Linux path, which Wine shows on drive Z:.

#include <cstdlib>
#include <string>

namespace glintora::testing {

// The movie's Windows path; empty when the tests were started without the folder.
inline std::string MovieFixture(const std::string& name) {
  const char* folder = std::getenv("GLINTORA_MOVIES");
  if (!folder || !*folder) return {};
  std::string path = std::string("Z:") + folder + "/" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace glintora::testing
