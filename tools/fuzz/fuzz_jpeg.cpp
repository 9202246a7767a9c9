#include "core/loaders/jpeg_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderJPEG loader;
  glintora::fuzz::RunLoader(loader, data, size);
  // The Exif orientation reader walks the same untrusted bytes.
  loader.Orientation(glintora::fuzz::InputPath());
  // The reduced decodes of the general path as well.
  if (glintora::fuzz::WithinFuzzBudget(loader, glintora::fuzz::InputPath())) {
    loader.Load(glintora::fuzz::InputPath(), {.targetWidth = 64, .fastTransform = true});
  }
  return 0;
}
