#include "core/loaders/pnm_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderPNM loader;
  return glintora::fuzz::RunLoader(loader, data, size);
}
