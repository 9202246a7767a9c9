#include "core/loaders/raw_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Named like a diagonal-sensor file, so that nearly square pictures are turned upright.
  static const std::string path = glintora::fuzz::InputPath() + ".raf";
  // One loader per output for the whole run, as a show keeps one for many files: the
  // library's large state is made once, and each file still starts from a recycled one.
  static glintora::CvxLoaderRAW loader;
  static const glintora::CvxRawParams wideParams = [] {
    glintora::CvxRawParams params;
    params.m_outputDepth = 1;
    return params;
  }();
  static glintora::CvxLoaderRAW wide(&wideParams);
  glintora::fuzz::RunLoader(loader, data, size, path, 0, false);
  // Every other input, the 16-bit output at half size as well, on the same file.
  if (size % 2 == 1 && glintora::fuzz::WithinFuzzBudget(wide, path)) wide.Load(path, {.halfSize = true});
  return 0;
}
