#include "core/loaders/raw_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Named like a diagonal-sensor file, so that nearly square pictures are turned upright.
  static const std::string path = glintora::fuzz::InputPath() + ".raf";
  glintora::CvxLoaderRAW loader;
  glintora::fuzz::RunLoader(loader, data, size, path);
  // A file the decoder takes: the 16-bit output at half size as well.
  if (loader.CanLoad(path)) {
    glintora::CvxRawParams params;
    params.m_outputDepth = 1;
    glintora::CvxLoaderRAW wide(&params);
    wide.Load(path, 0, 1);
  }
  return 0;
}
