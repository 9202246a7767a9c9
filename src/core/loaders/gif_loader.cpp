// GIF decoding on giflib's record-level reader, so that only the records up to the end of
// the first frame are read and nothing is allocated for later frames.
//
// File layout, numbers little-endian:
//   signature (6 bytes)   "GIF87a" or "GIF89a"
//   logical screen        width u16, height u16, flags, background index, aspect; then
//                         the global colour table when the flags name one
//   records               extensions ('!': a graphic control block gives the transparent
//                         index of the frame after it), frames (',': left, top, width,
//                         height u16, flags with interlacing and a local colour table,
//                         then LZW data), and the trailer (';')
// An interlaced frame stores its rows in four passes: every 8th row from row 0, every 8th
// from row 4, every 4th from row 2, every 2nd from row 1.

#include "core/loaders/gif_loader.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "core/base/byte_order.h"
#include "core/base/byte_source.h"

namespace glintora {
namespace {

constexpr size_t kSignatureSize = 6;
// The logical screen's size lies right after the signature.
constexpr size_t kScreenEnd = 10;

bool IsSignature(const uint8_t* bytes) {
  return std::memcmp(bytes, "GIF87a", kSignatureSize) == 0 || std::memcmp(bytes, "GIF89a", kSignatureSize) == 0;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// giflib reads through this from the byte source held in its user data.
int ReadFromSource(GifFileType* gif, GifByteType* buffer, int count) {
  if (count <= 0) return 0;
  return static_cast<int>(static_cast<ByteSource*>(gif->UserData)->Read(buffer, static_cast<size_t>(count)));
}

// Reads records up to and including the first frame's descriptor; false at the trailer or
// on any error. `transparent` becomes the transparent index of the control block before
// the frame, or -1.
bool FindFirstFrame(GifFileType* gif, int& transparent) {
  transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return false;
    switch (record) {
      case IMAGE_DESC_RECORD_TYPE:
        return DGifGetImageDesc(gif) != GIF_ERROR;
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
        GraphicsControlBlock control{};
        // The first sub-block holds its own length; a control block's is 4.
        if (code == GRAPHICS_EXT_FUNC_CODE && block &&
            DGifExtensionToGCB(block[0], block + 1, &control) != GIF_ERROR) {
          transparent = control.TransparentColor;
        }
        while (block) {
          if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
        }
        break;
      }
      default:
        return false;  // the trailer, or a record no file may have here
    }
  }
}

// The row of the frame that the n-th stored row belongs to.
class RowOrder {
 public:
  RowOrder(int height, bool interlaced) : m_height(height), m_interlaced(interlaced) {}
  int Next() {
    if (!m_interlaced) return m_row++;
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    while (m_row >= m_height && m_pass < 3) m_row = kStart[++m_pass];
    const int row = m_row;
    m_row += kStep[m_pass];
    return row;
  }

 private:
  int m_height;
  bool m_interlaced;
  int m_pass = 0;
  int m_row = 0;
};

std::unique_ptr<CvxImage> DecodeFirstFrame(ByteSource& source, const CvxColor8& background) {
  uint8_t signature[kSignatureSize];
  if (!source.Seek(0) || source.Read(signature, sizeof signature) != sizeof signature || !IsSignature(signature) ||
      !source.Seek(0)) {
    return nullptr;
  }
  int error = 0;
  const GifPtr gif(DGifOpen(&source, ReadFromSource, &error));
  if (!gif) return nullptr;
  int transparent = NO_TRANSPARENT_COLOR;
  if (!FindFirstFrame(gif.get(), transparent)) return nullptr;

  // giflib reads every field as an unsigned 16-bit value, so the sums cannot overflow.
  const GifImageDesc& frame = gif->Image;
  const int width = std::max(gif->SWidth, frame.Left + frame.Width);
  const int height = std::max(gif->SHeight, frame.Top + frame.Height);
  if (width == 0 || height == 0) return nullptr;  // no picture at all
  if (!FitsImageLimit(width, height, sizeof(CvxColor8))) return nullptr;

  // The frame's indices first, in the order the file stores its rows: a frame cut short or
  // damaged fails before the picture, which may be far larger than the file, is allocated,
  // and the buffer grows only as far as the data goes.
  std::vector<GifPixelType> indices;
  for (int n = 0; n < frame.Height && frame.Width > 0; ++n) {
    const size_t at = indices.size();
    indices.resize(at + static_cast<size_t>(frame.Width));
    if (DGifGetLine(gif.get(), indices.data() + at, frame.Width) == GIF_ERROR) return nullptr;
  }

  // Allocated cleared, which is the show's black background; any other is painted.
  auto image = NewImage<CvxColor8>(width, height, true);
  if (!image) return nullptr;
  if (background.Blue() != 0 || background.Green() != 0 || background.Red() != 0) {
    image->FillRect(0, 0, width, height, background);
  }

  // Every index gets a colour: the frame's table, else the global one; indices beyond the
  // table, and the transparent one, show the background.
  std::array<CvxColor8, 256> colours;
  colours.fill(background);
  const ColorMapObject* table = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (table && table->Colors) {
    const int count = std::min(table->ColorCount, 256);
    for (int i = 0; i < count; ++i) {
      const GifColorType& c = table->Colors[i];
      colours[static_cast<size_t>(i)] = CvxColor8(c.Blue, c.Green, c.Red);
    }
  }
  if (transparent >= 0 && transparent < 256) colours[static_cast<size_t>(transparent)] = background;

  RowOrder order(frame.Height, frame.Interlace);
  const GifPixelType* in = indices.data();
  for (int n = 0; n < frame.Height && frame.Width > 0; ++n, in += frame.Width) {
    CvxColor8* out = image->Row(frame.Top + order.Next()) + frame.Left;
    for (int x = 0; x < frame.Width; ++x) out[x] = colours[in[x]];
  }
  image->m_format = Gif;
  return image;
}

}  // namespace

bool CvxLoaderGIF::Recognises(std::span<const uint8_t> head) {
  return head.size() >= kSignatureSize && IsSignature(head.data());
}

CvxImageHeader CvxLoaderGIF::ReadInfo(ByteSource& source) {
  uint8_t bytes[kScreenEnd];
  if (!source.Seek(0) || source.Read(bytes, sizeof bytes) != sizeof bytes || !IsSignature(bytes)) return {};
  const int32_t width = LoadLittleEndian16(bytes + 6);
  const int32_t height = LoadLittleEndian16(bytes + 8);
  if ((width == 1 && height == 1) || width == 0 || height == 0) {
    const std::unique_ptr<CvxImage> image = Decode(source, {});
    if (!image) return {};
    return CvxImageHeader(image->m_width, image->m_height, Gif, Color8);
  }
  return CvxImageHeader(width, height, Gif, Color8);
}

std::unique_ptr<CvxImage> CvxLoaderGIF::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  try {
    return DecodeFirstFrame(source, CvxColor8(m_backgroundBlue, m_backgroundGreen, m_backgroundRed));
  } catch (const std::bad_alloc&) {
    return nullptr;  // an index buffer that could not be had
  }
}

}  // namespace glintora
