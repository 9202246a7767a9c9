#include "format_fixtures.h"

#include <gif_lib.h>

#include <algorithm>

namespace glintora::testing {
namespace {

int AppendOutput(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

struct ColourMap {
  explicit ColourMap(const std::vector<uint32_t>& entries) {
    if (entries.empty()) return;
    // giflib takes tables of a power of two entries, 2 to 256; the rest stay black.
    int size = 2;
    while (size < static_cast<int>(entries.size())) size *= 2;
    std::vector<GifColorType> colours(static_cast<size_t>(size), GifColorType{0, 0, 0});
    for (size_t i = 0; i < entries.size(); ++i) {
      colours[i] = GifColorType{static_cast<GifByteType>(entries[i] >> 16), static_cast<GifByteType>(entries[i] >> 8),
                                static_cast<GifByteType>(entries[i])};
    }
    map = GifMakeMapObject(size, colours.data());
  }
  ~ColourMap() { GifFreeMapObject(map); }
  ColourMap(const ColourMap&) = delete;
  ColourMap& operator=(const ColourMap&) = delete;
  ColorMapObject* map = nullptr;
};

bool WriteFrame(GifFileType* gif, const GifFrame& frame) {
  if (frame.transparent >= 0) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = frame.transparent;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_ERROR) return false;
  }
  const ColourMap local(frame.palette);
  if (EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local.map) ==
      GIF_ERROR) {
    return false;
  }
  std::vector<int> order(static_cast<size_t>(frame.height));
  for (int y = 0; y < frame.height; ++y) order[static_cast<size_t>(y)] = y;
  if (frame.interlaced) order = InterlacedRowOrder(frame.height);
  std::vector<GifPixelType> line(static_cast<size_t>(frame.width));
  for (int y : order) {
    std::copy_n(frame.indices.begin() + static_cast<std::ptrdiff_t>(y) * frame.width, frame.width, line.begin());
    if (EGifPutLine(gif, line.data(), frame.width) == GIF_ERROR) return false;
  }
  return true;
}

void PutBig(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<int> InterlacedRowOrder(int height) {
  std::vector<int> order;
  for (int y = 0; y < height; y += 8) order.push_back(y);
  for (int y = 4; y < height; y += 8) order.push_back(y);
  for (int y = 2; y < height; y += 4) order.push_back(y);
  for (int y = 1; y < height; y += 2) order.push_back(y);
  return order;
}

std::vector<uint8_t> EncodeGif(const GifRecipe& recipe) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendOutput, &error);
  if (!gif) return {};
  EGifSetGifVersion(gif, true);
  bool written;
  {
    const ColourMap global(recipe.palette);
    written = EGifPutScreenDesc(gif, recipe.screenWidth, recipe.screenHeight, 8, recipe.backgroundIndex, global.map) !=
              GIF_ERROR;
  }
  for (const GifFrame& frame : recipe.frames) written = written && WriteFrame(gif, frame);
  if (EGifCloseFile(gif, &error) == GIF_ERROR || !written) return {};
  return out;
}

std::vector<uint8_t> PackBitsRow(const uint16_t* samples, int count, int bytes) {
  std::vector<uint8_t> out;
  int i = 0;
  while (i < count) {
    int run = 1;
    while (i + run < count && run < 128 && samples[i + run] == samples[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(257 - run));
      PutBig(out, samples[i], bytes);
      i += run;
      continue;
    }
    // A literal stretch ends where a run of three begins.
    int end = i;
    while (end < count && end - i < 128 &&
           !(end + 2 < count && samples[end] == samples[end + 1] && samples[end] == samples[end + 2])) {
      ++end;
    }
    out.push_back(static_cast<uint8_t>(end - i - 1));
    for (; i < end; ++i) PutBig(out, samples[i], bytes);
  }
  return out;
}

std::vector<uint8_t> EncodePsdStart(const PsdRecipe& recipe) {
  std::vector<uint8_t> out = {'8', 'B', 'P', 'S'};
  PutBig(out, static_cast<uint32_t>(recipe.version), 2);
  PutBig(out, 0, 4);  // six reserved bytes
  PutBig(out, 0, 2);
  PutBig(out, static_cast<uint32_t>(recipe.channels), 2);
  PutBig(out, static_cast<uint32_t>(recipe.height), 4);
  PutBig(out, static_cast<uint32_t>(recipe.width), 4);
  PutBig(out, static_cast<uint32_t>(recipe.depth), 2);
  PutBig(out, static_cast<uint32_t>(recipe.mode), 2);
  for (uint32_t size : recipe.sectionBytes) {
    PutBig(out, size, 4);
    // Contents that would look like a picture if the loader read them.
    for (uint32_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(0x80 + i * 7));
  }
  PutBig(out, static_cast<uint32_t>(recipe.compression), 2);
  return out;
}

std::vector<uint8_t> EncodePsd(const PsdRecipe& recipe) {
  std::vector<uint8_t> out = EncodePsdStart(recipe);
  const int bytes = recipe.depth / 8;
  if (recipe.compression == 0) {
    for (const auto& plane : recipe.planes) {
      for (uint16_t sample : plane) PutBig(out, sample, bytes);
    }
  } else if (recipe.compression == 1) {
    std::vector<uint8_t> data;
    std::vector<uint8_t> table;
    for (const auto& plane : recipe.planes) {
      for (int y = 0; y < recipe.height; ++y) {
        const std::vector<uint8_t> row =
            PackBitsRow(plane.data() + static_cast<size_t>(y) * recipe.width, recipe.width, bytes);
        PutBig(table, static_cast<uint32_t>(row.size()), 2);
        data.insert(data.end(), row.begin(), row.end());
      }
    }
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

std::vector<uint8_t> PnmFile(const std::string& header, const std::vector<int>& samples, bool wide) {
  std::vector<uint8_t> out(header.begin(), header.end());
  for (int sample : samples) PutBig(out, static_cast<uint32_t>(sample), wide ? 2 : 1);
  return out;
}

}  // namespace glintora::testing
