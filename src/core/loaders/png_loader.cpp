// PNG decoding on libpng.
//
// libpng reports errors by longjmp back to the frame that armed png_jmpbuf. A longjmp must
// not skip a C++ destructor, so every libpng call that can fail runs inside one of the
// small PngReader functions below, whose frames hold plain data only; the structures they
// create belong to the PngReader object, which lives in the caller's frame and destroys
// them on every path.

#include "core/loaders/png_loader.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <new>

#include "core/base/byte_source.h"

namespace glintora {
namespace {

// The first four bytes of the eight-byte signature are enough to tell a PNG apart.
constexpr uint8_t kSignature[4] = {137, 80, 78, 71};

// Errors leave by longjmp to the armed frame and warnings are dropped: nothing is printed.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// libpng reads through this from the byte source; data that ends early is an error, as
// for libpng's own stream reader.
void ReadFromSource(png_structp png, png_bytep into, size_t count) {
  auto* source = static_cast<ByteSource*>(png_get_io_ptr(png));
  if (source->Read(into, count) != count) png_error(png, "Read Error");
}

// A picture's colour type, depth and size: the file's own, or what the transformations make.
struct PngLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  int colorType = 0;
  int bitDepth = 0;
  size_t rowBytes = 0;  // bytes libpng writes per row
};

// How transparent pixels are treated.
struct Composition {
  bool keepAlpha = false;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The libpng read and info structures of one decode from the start of a byte source.
class PngReader {
 public:
  explicit PngReader(ByteSource& source) : m_source(source) {}
  ~PngReader() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Creates the structures and reads everything up to the pixel data.
  bool ReadInfo(PngLayout& file);
  // Chooses the transformations and describes the rows they produce.
  bool Prepare(const Composition& composition, PngLayout& produced);
  // Reads every row (all interlace passes) and the end of the file.
  bool ReadImage(png_bytepp rows);
  // The palette after the transformations (composed with the background); false if none.
  bool GetPalette(png_colorp& palette, int& count) const {
    return png_get_PLTE(m_png, m_info, &palette, &count) != 0 && palette != nullptr;
  }

 private:
  void DescribeTo(PngLayout& layout) const;
  void SetBackground(const Composition& composition, int bitDepth);

  ByteSource& m_source;
  png_structp m_png = nullptr;
  png_infop m_info = nullptr;
};

void PngReader::DescribeTo(PngLayout& layout) const {
  layout.width = png_get_image_width(m_png, m_info);
  layout.height = png_get_image_height(m_png, m_info);
  layout.colorType = png_get_color_type(m_png, m_info);
  layout.bitDepth = png_get_bit_depth(m_png, m_info);
  layout.rowBytes = png_get_rowbytes(m_png, m_info);
}

bool PngReader::ReadInfo(PngLayout& file) {
  m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!m_png) return false;
  m_info = png_create_info_struct(m_png);
  if (!m_info) return false;
  if (setjmp(png_jmpbuf(m_png))) return false;
  if (!m_source.Seek(0)) return false;
  png_set_read_fn(m_png, &m_source, ReadFromSource);
  png_read_info(m_png, m_info);
  DescribeTo(file);
  return true;
}

// The file's own background chunk wins, in the file's colour space; otherwise the loader's
// colour, given in the samples the picture will have (16-bit samples span 0 to 65535, so
// the 8-bit colour is widened to keep its look).
void PngReader::SetBackground(const Composition& composition, int bitDepth) {
  png_color_16p fileBackground = nullptr;
  if (png_get_bKGD(m_png, m_info, &fileBackground) != 0 && fileBackground != nullptr) {
    png_set_background(m_png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    return;
  }
  const int scale = bitDepth == 16 ? 257 : 1;
  // Luma weights 0.299, 0.587, 0.114 in thousandths: integer sums truncate exactly.
  const int gray = (299 * composition.red + 587 * composition.green + 114 * composition.blue) / 1000;
  png_color_16 colour{};
  colour.red = static_cast<png_uint_16>(composition.red * scale);
  colour.green = static_cast<png_uint_16>(composition.green * scale);
  colour.blue = static_cast<png_uint_16>(composition.blue * scale);
  colour.gray = static_cast<png_uint_16>(gray * scale);
  png_set_background(m_png, &colour, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
}

bool PngReader::Prepare(const Composition& composition, PngLayout& produced) {
  if (setjmp(png_jmpbuf(m_png))) return false;
  const int colorType = png_get_color_type(m_png, m_info);
  const int bitDepth = png_get_bit_depth(m_png, m_info);
  if (!composition.keepAlpha) {
    SetBackground(composition, bitDepth);
    // Compose on the stored values: a file gamma (gAMA, sRGB, iCCP) would make libpng
    // compose in linear light, and half-transparent pixels would come out too bright.
    png_set_gamma(m_png, 1.0, 1.0);
  }
  // Grey pictures stay one channel: this drops a grey-alpha channel, and with the alpha
  // kept it also stops a grey transparency chunk from growing one.
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_strip_alpha(m_png);
  // Colour rows come out blue-green-red, palette pictures included once expanded.
  if ((colorType & PNG_COLOR_MASK_COLOR) != 0) png_set_bgr(m_png);
  // Samples below 8 bits become bytes (and such palette pictures colour).
  if ((colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE) && bitDepth < 8) {
    png_set_expand(m_png);
  }
  if (bitDepth == 16) png_set_swap(m_png);  // little-endian, as images keep them
  png_read_update_info(m_png, m_info);
  DescribeTo(produced);
  return true;
}

bool PngReader::ReadImage(png_bytepp rows) {
  if (setjmp(png_jmpbuf(m_png))) return false;
  png_read_image(m_png, rows);
  png_read_end(m_png, nullptr);
  return true;
}

// The type ReadInfo reports for the file's own colour type and depth; 0 outside the table.
int32_t FileImageType(int colorType, int bitDepth) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return bitDepth == 8 ? Gray8 : bitDepth == 16 ? Gray16 : 0;
    case PNG_COLOR_TYPE_PALETTE: return Color8;
    case PNG_COLOR_TYPE_RGB: return bitDepth == 8 ? Color8 : bitDepth == 16 ? Color16 : 0;
    case PNG_COLOR_TYPE_RGB_ALPHA: return bitDepth == 8 ? Alpha8 : bitDepth == 16 ? Alpha16 : 0;
    default: return 0;
  }
}

// The image type that holds rows of the produced colour type and depth; 0 for none.
// Palette rows hold indices until the palette is applied.
int32_t ProducedImageType(int colorType, int bitDepth) {
  if (bitDepth != 8 && bitDepth != 16) return 0;
  const int bytes = bitDepth / 8;
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE: return ImageTypeFor(1, bytes);
    case PNG_COLOR_TYPE_RGB: return ImageTypeFor(3, bytes);
    case PNG_COLOR_TYPE_RGB_ALPHA: return ImageTypeFor(4, bytes);
    default: return 0;
  }
}

// A colour image from palette indices; indices beyond the palette stay black.
std::unique_ptr<CvxImage> ApplyPalette(const CvxImageGray8& indices, png_const_colorp palette, int count) {
  auto colour = NewImage<CvxColor8>(indices.m_width, indices.m_height, true);
  if (!colour) return nullptr;
  for (int y = 0; y < indices.m_height; ++y) {
    const CvxGray8* in = indices.Row(y);
    CvxColor8* out = colour->Row(y);
    for (int x = 0; x < indices.m_width; ++x) {
      const int index = in[x].c[0];
      if (index < count) out[x] = CvxColor8(palette[index].blue, palette[index].green, palette[index].red);
    }
  }
  return colour;
}

}  // namespace

bool CvxLoaderPNG::Recognises(std::span<const uint8_t> head) {
  return head.size() >= sizeof kSignature && std::equal(kSignature, kSignature + sizeof kSignature, head.begin());
}

CvxImageHeader CvxLoaderPNG::ReadInfo(ByteSource& source) {
  PngReader reader(source);
  PngLayout layout;
  if (!reader.ReadInfo(layout)) return {};
  const int32_t type = FileImageType(layout.colorType, layout.bitDepth);
  if (type == 0 || layout.width > INT32_MAX || layout.height > INT32_MAX) return {};
  return CvxImageHeader(static_cast<int32_t>(layout.width), static_cast<int32_t>(layout.height), Png, type);
}

std::unique_ptr<CvxImage> CvxLoaderPNG::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  PngReader reader(source);
  PngLayout layout;
  const Composition composition{m_keepAlpha != 0, m_backgroundRed, m_backgroundGreen, m_backgroundBlue};
  if (!reader.ReadInfo(layout) || !reader.Prepare(composition, layout)) return nullptr;

  const int32_t type = ProducedImageType(layout.colorType, layout.bitDepth);
  if (type == 0 || layout.width == 0 || layout.height == 0 || layout.width > INT32_MAX ||
      layout.height > INT32_MAX) {
    return nullptr;
  }
  // libpng's rows must be exactly the image's pixels, and the whole picture must be one
  // an image may hold; both sides in 64 bits, so nothing wraps.
  int bytesPerPixel = 0;
  VisitPixelType(type, [&](auto pixel) { bytesPerPixel = static_cast<int>(sizeof pixel); });
  const int64_t rowBytes = int64_t{layout.width} * bytesPerPixel;
  if (static_cast<uint64_t>(rowBytes) != layout.rowBytes || !FitsImageLimit(layout.width, layout.height, bytesPerPixel)) {
    return nullptr;
  }
  const int width = static_cast<int>(layout.width);
  const int height = static_cast<int>(layout.height);

  // Cleared, so the padding at the ends of rows is zero like the rest.
  std::unique_ptr<CvxImage> image = CreateImage(type, width, height, true);
  if (!image || image->m_height != height || image->GetStride() < rowBytes) return nullptr;
  std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[static_cast<size_t>(height)]);
  if (!rows) return nullptr;
  std::copy_n(image->GetRows(), height, rows.get());
  if (!reader.ReadImage(rows.get())) return nullptr;

  if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int count = 0;
    const CvxImageGray8* indices = As<CvxGray8>(image.get());
    if (indices && reader.GetPalette(palette, count)) {
      image = ApplyPalette(*indices, palette, count);
      if (!image) return nullptr;
    }
  }
  image->m_format = Png;
  return image;
}

}  // namespace glintora
