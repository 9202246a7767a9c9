#include "core/media/jpeg_encoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>

#include <jpeglib.h>

namespace glintora {
namespace {

// libjpeg's error manager that returns to the encoder instead of ending the process.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};
[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1); }

}  // namespace

std::vector<uint8_t> EncodeJpeg(int width, int height, const JpegRowSource& rows, int quality) {
  if (width <= 0 || height <= 0 || !rows) return {};
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
  jpeg_compress_struct compress{};
  ErrorManager errors{};
  compress.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = &OnError;
  // Nothing with a destructor is made between here and the jump's landing.
  if (setjmp(errors.escape)) {
    jpeg_destroy_compress(&compress);
    std::free(output);
    return {};
  }
  jpeg_create_compress(&compress);
  jpeg_mem_dest(&compress, &output, &outputSize);
  compress.image_width = static_cast<JDIMENSION>(width);
  compress.image_height = static_cast<JDIMENSION>(height);
  compress.input_components = 3;
  compress.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compress);
  jpeg_set_quality(&compress, quality, TRUE);
  jpeg_start_compress(&compress, TRUE);
  while (compress.next_scanline < compress.image_height) {
    rows(static_cast<int>(compress.next_scanline), row.data());
    JSAMPROW rowPointer[1] = {row.data()};
    jpeg_write_scanlines(&compress, rowPointer, 1);
  }
  jpeg_finish_compress(&compress);
  std::vector<uint8_t> jpeg(output, output + outputSize);
  jpeg_destroy_compress(&compress);
  std::free(output);
  return jpeg;
}

}  // namespace glintora
