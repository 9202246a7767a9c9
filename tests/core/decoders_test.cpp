// The picture decoders link into our programs and work, on both platforms: each one
// decodes a small picture that its own encoder made (GIF and RAW: each reads a header).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <libraw/libraw.h>
#include <png.h>
#include <tiffio.h>

namespace {

TEST(Decoders, JpegEncodesAndDecodes) {
  jpeg_compress_struct out{};
  jpeg_error_mgr errors{};
  out.err = jpeg_std_error(&errors);
  jpeg_create_compress(&out);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&out, &buffer, &size);
  out.image_width = 16;
  out.image_height = 8;
  out.input_components = 3;
  out.in_color_space = JCS_RGB;
  jpeg_set_defaults(&out);
  jpeg_start_compress(&out, TRUE);
  std::vector<unsigned char> row(16 * 3, 200);
  while (out.next_scanline < out.image_height) {
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&out, rows, 1);
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);

  jpeg_decompress_struct in{};
  in.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, buffer, size);
  ASSERT_EQ(jpeg_read_header(&in, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&in);
  EXPECT_EQ(in.output_width, 16u);
  EXPECT_EQ(in.output_height, 8u);
  while (in.output_scanline < in.output_height) {
    JSAMPROW rows[] = {row.data()};
    jpeg_read_scanlines(&in, rows, 1);
  }
  EXPECT_NEAR(row[0], 200, 2);
  jpeg_finish_decompress(&in);
  jpeg_destroy_decompress(&in);
  free(buffer);
}

TEST(Decoders, PngReportsItsVersion) {
  EXPECT_GE(png_access_version_number(), 10600u);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  ASSERT_NE(png, nullptr);
  png_destroy_read_struct(&png, nullptr, nullptr);
}

TEST(Decoders, TiffWritesAndReadsAFile) {
  const std::string path = ::testing::TempDir() + "glintora-decoders.tif";
  TIFF* out = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, 4);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, 2);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  unsigned char line[4] = {1, 2, 3, 4};
  for (uint32_t y = 0; y < 2; ++y) ASSERT_EQ(TIFFWriteScanline(out, line, y, 0), 1);
  TIFFClose(out);

  TIFF* in = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  uint32_t width = 0;
  TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &width);
  EXPECT_EQ(width, 4u);
  unsigned char back[4] = {};
  for (uint32_t y = 0; y < 2; ++y) ASSERT_EQ(TIFFReadScanline(in, back, y, 0), 1);
  EXPECT_EQ(std::memcmp(back, line, 4), 0);
  TIFFClose(in);
  std::remove(path.c_str());
}

struct Memory {
  const unsigned char* data;
  size_t size;
  size_t at = 0;
};
int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* memory = static_cast<Memory*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(count), memory->size - memory->at);
  std::memcpy(buffer, memory->data + memory->at, n);
  memory->at += n;
  return static_cast<int>(n);
}

TEST(Decoders, GifReadsTheScreenDescriptor) {
  // "GIF89a", a 3×2 logical screen, no global colour table, then the trailer.
  const unsigned char file[] = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0, 0, 0, 0x3B};
  Memory memory{file, sizeof file};
  int error = 0;
  GifFileType* gif = DGifOpen(&memory, ReadMemory, &error);
  ASSERT_NE(gif, nullptr) << error;
  EXPECT_EQ(gif->SWidth, 3);
  EXPECT_EQ(gif->SHeight, 2);
  DGifCloseFile(gif, &error);
}

TEST(Decoders, RawRejectsWhatIsNoCameraFile) {
  EXPECT_GE(LibRaw::versionNumber(), LIBRAW_MAKE_VERSION(0, 20, 0));
  LibRaw raw;
  const char junk[64] = "certainly not a raw file";
  EXPECT_NE(raw.open_buffer(const_cast<char*>(junk), sizeof junk), LIBRAW_SUCCESS);
}

}  // namespace
