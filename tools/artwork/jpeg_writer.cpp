#include "jpeg_writer.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace glintora::artwork {
namespace {

// libjpeg's error manager that returns to WriteJpeg instead of ending the process.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1); }

}  // namespace

bool WriteJpeg(const std::string& path, int width, int height, const std::vector<Rgb>& pixels, int quality) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct compress{};
  ErrorManager errors{};
  compress.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = &OnError;
  // Nothing with a destructor lives between here and the jump's landing.
  if (setjmp(errors.escape)) {
    jpeg_destroy_compress(&compress);
    std::fclose(file);
    return false;
  }
  jpeg_create_compress(&compress);
  jpeg_stdio_dest(&compress, file);
  compress.image_width = static_cast<JDIMENSION>(width);
  compress.image_height = static_cast<JDIMENSION>(height);
  compress.input_components = 3;
  compress.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compress);
  jpeg_set_quality(&compress, quality, TRUE);
  jpeg_start_compress(&compress, TRUE);
  static_assert(sizeof(Rgb) == 3, "rows are handed to the library as packed RGB");
  while (compress.next_scanline < compress.image_height) {
    auto* row = const_cast<JSAMPLE*>(
        reinterpret_cast<const JSAMPLE*>(&pixels[static_cast<size_t>(compress.next_scanline) * width]));
    jpeg_write_scanlines(&compress, &row, 1);
  }
  jpeg_finish_compress(&compress);
  jpeg_destroy_compress(&compress);
  return std::fclose(file) == 0;
}

}  // namespace glintora::artwork
