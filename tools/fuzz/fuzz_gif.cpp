#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "core/loaders/gif_loader.h"
#include "fuzz_loader.h"

namespace {

struct Input {
  const uint8_t* data;
  size_t left;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int count) {
  auto* input = static_cast<Input*>(gif->UserData);
  const size_t n = std::min(input->left, static_cast<size_t>(std::max(count, 0)));
  std::memcpy(buffer, input->data, n);
  input->data += n;
  input->left -= n;
  return static_cast<int>(n);
}

// The picture a GIF decodes to: its screen grown to hold the first frame, read from the
// frame's descriptor without decoding it. GetInfo decodes pictures whose screen says 1 × 1,
// so the budget must be known before GetInfo is asked.
int64_t ClaimedPixels(const uint8_t* data, size_t size) {
  Input input{data, size};
  int error = 0;
  GifFileType* gif = DGifOpen(&input, ReadInput, &error);
  if (!gif) return 0;
  int64_t pixels = int64_t{gif->SWidth} * gif->SHeight;
  GifRecordType record;
  while (DGifGetRecordType(gif, &record) != GIF_ERROR && record != TERMINATE_RECORD_TYPE) {
    if (record == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif) != GIF_ERROR) {
        const GifImageDesc& frame = gif->Image;
        pixels = int64_t{std::max(gif->SWidth, frame.Left + frame.Width)} *
                 std::max(gif->SHeight, frame.Top + frame.Height);
      }
      break;
    }
    if (record != EXTENSION_RECORD_TYPE) break;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) break;
    while (block && DGifGetExtensionNext(gif, &block) != GIF_ERROR) {
    }
    if (block) break;
  }
  DGifCloseFile(gif, &error);
  return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderGIF loader;
  return glintora::fuzz::RunLoader(loader, data, size, glintora::fuzz::InputPath(), ClaimedPixels(data, size));
}
