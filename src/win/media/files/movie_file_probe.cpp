#include "win/media/files/movie_file_probe.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "core/media/engine_route.h"
#include "core/media/track_turn.h"

namespace glintora {
namespace {

// Opens the file read-only, leaving it to others meanwhile, and answers `probe` given reads
// at any offset and the file's size; false when it cannot be opened or sized.
bool ProbeFile(const std::string& path, const std::function<bool(const ReadFileAt&, uint64_t)>& probe) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const ReadFileAt read = [file](uint64_t offset, uint8_t* out, size_t count) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, out, static_cast<DWORD>(count), &got, nullptr) && got == count;
  };
  LARGE_INTEGER size{};
  const bool answer =
      GetFileSizeEx(file, &size) && size.QuadPart >= 0 && probe(read, static_cast<uint64_t>(size.QuadPart));
  CloseHandle(file);
  return answer;
}

}  // namespace

bool FileCouldBeMovie(const std::string& path) {
  return ProbeFile(path, [&path](const ReadFileAt& read, uint64_t size) { return CouldBeMovieFile(path, read, size); });
}

bool FileCouldBeQuickTimeMovie(const std::string& path) { return ProbeFile(path, &CouldBeQuickTimeMovie); }

int FileMovieTurn(const std::string& path) {
  int turn = 0;
  ProbeFile(path, [&turn](const ReadFileAt& read, uint64_t size) {
    turn = ReadMovieTurn(read, size);
    return true;
  });
  return turn;
}

}  // namespace glintora
