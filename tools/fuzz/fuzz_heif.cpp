#include "core/loaders/heif_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderHEIF loader;
  glintora::fuzz::RunLoader(loader, data, size);
  // Alpha kept as well: the other output layouts.
  loader.m_keepAlpha = 1;
  loader.Load(glintora::fuzz::InputPath());
  return 0;
}
