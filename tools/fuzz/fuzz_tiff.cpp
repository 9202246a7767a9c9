#include "core/loaders/tiff_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderTIFF loader;
  glintora::fuzz::RunLoader(loader, data, size);
  loader.Orientation(glintora::fuzz::InputPath());
  return 0;
}
