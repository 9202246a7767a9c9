#include "core/show/picture_prefetch.h"

namespace glintora {

std::unique_ptr<CvxImage> LoadFitted(CvxImageLoader& loader, const FrameComposer& composer, const std::string& path) {
  ImageSize stored;
  std::unique_ptr<CvxImage> picture = loader.LoadToCover(
      path, [&composer](ImageSize size) { return composer.FittedSize(size.width, size.height); }, stored);
  if (!picture) return nullptr;
  return composer.Fit(std::move(picture), stored.width, stored.height);
}

PrefetchResult PrefetchNextItem(CvxImageLoader& loader, const FrameComposer& composer,
                                const std::vector<PrefetchItem>& items) {
  PrefetchResult result;
  for (const PrefetchItem& item : items) {
    std::unique_ptr<CvxImage> fitted = LoadFitted(loader, composer, item.path);
    if (fitted) {
      result.kind = PrefetchResult::Kind::Picture;
      result.fitted = std::move(fitted);
      return result;
    }
    if (item.movie) {
      result.kind = PrefetchResult::Kind::Movie;
      return result;
    }
    if (loader.Abandoned()) {
      result.stopped = true;
      return result;
    }
    ++result.failed;
  }
  return result;
}

}  // namespace glintora
