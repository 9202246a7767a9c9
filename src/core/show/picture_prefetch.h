#pragma once
// The show's next item, loaded and fitted ahead of time: while a picture shows, another
// thread tries the items the next change would try, in the same order, and keeps the first
// picture it can show, fitted to the window, or notes the movie it meets. The window then
// only places the picture on its canvas when the change is due.

#include <memory>
#include <string>
#include <vector>

#include "core/image/image.h"
#include "core/loaders/image_loader.h"
#include "core/show/frame_composition.h"

namespace glintora {

struct PrefetchItem {
  size_t index = 0;  // into the media list's files
  std::string path;
  bool movie = false;
};

// What the show would find next, from its upcoming items in order.
struct PrefetchResult {
  enum class Kind { None, Picture, Movie };
  Kind kind = Kind::None;          // None: every item tried failed (or it was stopped)
  size_t failed = 0;               // items tried in vain before the one found
  std::unique_ptr<CvxImage> fitted;  // a picture, fitted without padding
  bool stopped = false;
};

// Tries `items` in order with `loader`, decoding no larger than `composer` shows them, and
// stops at the first picture that loads (fitted by `composer`) or the first movie that
// does not. `composer` is used for its geometry only.
PrefetchResult PrefetchNextItem(CvxImageLoader& loader, const FrameComposer& composer,
                                const std::vector<PrefetchItem>& items);

// Loads one item as the show does: no larger than shown, then fitted to the window.
std::unique_ptr<CvxImage> LoadFitted(CvxImageLoader& loader, const FrameComposer& composer, const std::string& path);

}  // namespace glintora
