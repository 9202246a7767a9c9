#include "win/media/player/movie_editing.h"

#include <windows.h>

#include "win/media/files/avi_file.h"
#include "win/media/files/file_replace.h"

namespace glintora {

bool SaveAviSelection(const std::string& source, const std::string& target, int first, int last,
                      const std::function<void()>& letGoOfSource) {
  // Written beside the target, so that it replaces the target in one move, and only once
  // it is whole: the file being played may be the target.
  const std::string temporary = TemporaryBeside(target);
  if (temporary.empty()) return false;
  if (!CopyAviSelection(source, temporary, first, last)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  // The file being played is open; it must be let go before it can be replaced.
  if (SameFile(target, source)) letGoOfSource();
  return ReplaceWith(temporary, target);
}

}  // namespace glintora
