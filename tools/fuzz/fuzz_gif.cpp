#include "core/loaders/gif_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderGIF loader;
  return glintora::fuzz::RunLoader(loader, data, size);
}
