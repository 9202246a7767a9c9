#pragma once
// Saving a span of the movie being played as a file of its own. The new file is written
// beside the target and takes the target's place only once it is whole: the target may be
// the very file being played, and a failure must cost neither.

#include <functional>
#include <string>

namespace glintora {

// Writes frames [first, last) of the AVI `source` to `target`. When the target is the source,
// `letGoOfSource` is called once the copy is whole and before it replaces the target (the
// player closes the file there; `source` is not read after it). False, with `target` and
// `source` as they were and no temporary file left, when anything fails.
bool SaveAviSelection(const std::string& source, const std::string& target, int first, int last,
                      const std::function<void()>& letGoOfSource);

}  // namespace glintora
