// Writes the demo's picture folder: make_demo_pictures OUTPUT_FOLDER. Prints the path of
// each file written.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "demo_pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_pictures OUTPUT_FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "make_demo_pictures: cannot make %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  const auto names = glintora::demo::WriteDemoPictures(folder.string());
  if (names.empty()) {
    std::fprintf(stderr, "make_demo_pictures: could not write the pictures into %s\n", argv[1]);
    return 1;
  }
  for (const auto& name : names) std::printf("%s\n", (folder / name).string().c_str());
  return 0;
}
