// StretchDIBits into a Color8 image, pixel for pixel as the system's memory bitmaps do it.
//
// Per axis the source and destination spans are intersected with their bitmaps. Equal
// signed sizes copy straight across. Otherwise each destination pixel i (counted from the
// span's start in its direction) takes, with S and D the absolute span lengths:
//   S <= D (stretch): source j = ((2i + 1) S - 1) / (2D), the pixel under its centre;
//   S >  D (shrink):  of the source pixels jf = (2iS + D) / (2D) .. jl = (2(i+1)S - D) / (2D)
//                     that lie inside the bitmap, the last across and the first down.
// A mirrored destination whose source reaches outside the bitmap keeps the columns (rows)
// the visible part would cover unmirrored, and is reversed within them.

#include "core/image/memory_device.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace glintora {
namespace {

constexpr int kNone = -1;

// [lo, hi) covered by a span that starts at x and runs w pixels (backwards when negative).
void Span(int x, int w, int& lo, int& hi) {
  if (w >= 0) {
    lo = x;
    hi = x + w;
  } else {
    lo = x + w + 1;
    hi = x + 1;
  }
}

// The source coordinate drawn at destination coordinate p, or kNone.
int MapAxis(int p, int d0, int lengthDst, int s0, int lengthSrc, int visibleLo, int visibleHi, bool firstWins) {
  const int64_t D = std::abs(int64_t{lengthDst});
  const int64_t S = std::abs(int64_t{lengthSrc});
  const int dinc = lengthDst < 0 ? -1 : 1;
  const int sinc = lengthSrc < 0 ? -1 : 1;
  const int64_t i = int64_t{p - d0} * dinc;
  if (i < 0 || i >= D) return kNone;
  const auto inside = [&](int64_t j) {
    const int64_t s = s0 + j * sinc;
    return s >= visibleLo && s < visibleHi;
  };
  if (S <= D) {
    const int64_t j = ((2 * i + 1) * S - 1) / (2 * D);
    return inside(j) ? static_cast<int>(s0 + j * sinc) : kNone;
  }
  const int64_t first = (2 * i * S + D) / (2 * D);
  const int64_t last = (2 * (i + 1) * S - D) / (2 * D);
  if (firstWins) {
    for (int64_t j = first; j <= last; ++j) {
      if (inside(j)) return static_cast<int>(s0 + j * sinc);
    }
  } else {
    for (int64_t j = last; j >= first; --j) {
      if (inside(j)) return static_cast<int>(s0 + j * sinc);
    }
  }
  return kNone;
}

// Bytes of one colour (blue, green, red) of source pixel (x, row) for each source depth.
struct SourceReader {
  const uint8_t* bits;
  int stride;
  int height;
  bool bottomUp;
  int bitCount;
  const PaletteEntry* palette;
  uint32_t paletteSize;

  const uint8_t* RowStart(int row) const {
    const int memoryRow = bottomUp ? height - 1 - row : row;
    return bits + static_cast<size_t>(memoryRow) * stride;
  }
  CvxColor8 Read(const uint8_t* row, int x) const {
    switch (bitCount) {
      case 8: {
        const uint8_t index = row[x];
        if (index >= paletteSize) return {};  // missing palette entries are black
        const PaletteEntry& e = palette[index];
        return {e.blue, e.green, e.red};
      }
      case 32: return {row[4 * x], row[4 * x + 1], row[4 * x + 2]};
      default: return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    }
  }
};

}  // namespace

int MemoryDevice::StretchDIBits(int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc,
                                const void* bits, const BitmapInfo& info) {
  const BitmapInfoHeader& h = info.header;
  if (!bits || h.biCompression != 0 || (h.biBitCount != 8 && h.biBitCount != 24 && h.biBitCount != 32) ||
      h.biWidth <= 0 || h.biHeight == 0 || !m_target.HasPixels()) {
    return 0;
  }
  const int height = std::abs(h.biHeight);
  const bool bottomUp = h.biHeight > 0;
  xDst += m_originX;
  yDst += m_originY;

  // Source rows count from the bitmap's bottom; from here on row 0 is its top.
  const bool plainFromOrigin = xSrc == 0 && ySrc == 0 && wSrc == wDst && hSrc == hDst;
  int sy = ySrc;
  if (bottomUp || !plainFromOrigin) sy = height - ySrc - hSrc;
  if (sy >= height && sy + hSrc + 1 < height) {
    sy = height - 1;
  } else if (sy > 0 && sy + hSrc + 1 < 0) {
    sy = -hSrc - 1;
  }

  int sxLo, sxHi, syLo, syHi, dxLo, dxHi, dyLo, dyHi;
  Span(xSrc, wSrc, sxLo, sxHi);
  Span(sy, hSrc, syLo, syHi);
  sxLo = std::max(sxLo, 0);
  sxHi = std::min(sxHi, h.biWidth);
  syLo = std::max(syLo, 0);
  syHi = std::min(syHi, height);
  if (sxLo >= sxHi || syLo >= syHi) return 0;
  Span(xDst, wDst, dxLo, dxHi);
  Span(yDst, hDst, dyLo, dyHi);
  dxLo = std::max(dxLo, 0);
  dxHi = std::min(dxHi, m_target.m_width);
  dyLo = std::max(dyLo, 0);
  dyHi = std::min(dyHi, m_target.m_height);
  if (dxLo >= dxHi || dyLo >= dyHi) return height;

  const uint32_t stride = BitmapStride(h.biWidth, h.biBitCount);
  const SourceReader source{static_cast<const uint8_t*>(bits), static_cast<int>(stride), height, bottomUp,
                            h.biBitCount, Palette(info),
                            h.biBitCount == 8 ? (h.biClrUsed == 0 ? 256u : std::min(h.biClrUsed, 256u)) : 0u};

  if (wSrc == wDst && hSrc == hDst) {
    // Same size: a plain translated copy of the visible part.
    const int offsetX = xDst - xSrc;
    const int offsetY = yDst - sy;
    const int left = std::max(sxLo + offsetX, dxLo);
    const int right = std::min(sxHi + offsetX, dxHi);
    const int top = std::max(syLo + offsetY, dyLo);
    const int bottom = std::min(syHi + offsetY, dyHi);
    if (left >= right || top >= bottom) return height;
    ForRows(top, bottom, int64_t{right - left} * (bottom - top), [&](int first, int end) {
      for (int y = first; y < end; ++y) {
        const uint8_t* in = source.RowStart(y - offsetY);
        CvxColor8* out = m_target.Row(y);
        if (source.bitCount == 24) {  // the layout of Color8 rows: copied as they are
          std::memcpy(out + left, in + 3 * (left - offsetX), 3 * static_cast<size_t>(right - left));
        } else {
          for (int x = left; x < right; ++x) out[x] = source.Read(in, x - offsetX);
        }
      }
    });
    return height;
  }

  // A mirrored destination whose source reaches outside the bitmap is shifted so that the
  // visible part keeps its unmirrored place.
  {
    const auto scaled = [](int v, int num, int den) { return static_cast<int>(int64_t{v} * num / den); };
    int rl = scaled(sxLo - xSrc - (wSrc < 0), wDst, wSrc);
    int rr = scaled(sxHi - xSrc - (wSrc < 0), wDst, wSrc);
    if (rl > rr) std::swap(rl, rr);
    int rt = scaled(syLo - sy - (hSrc < 0), hDst, hSrc);
    int rb = scaled(syHi - sy - (hSrc < 0), hDst, hSrc);
    if (rt > rb) std::swap(rt, rb);
    if (wSrc < 0 && wDst > 0 && (xSrc + wSrc + 1 < sxLo || xSrc > sxHi)) {
      xDst += (wDst - rr) - rl;
    } else if (wSrc > 0 && wDst < 0 && (xSrc < sxLo || xSrc + wSrc > sxHi)) {
      xDst -= rr - (wDst - rl);
    }
    if (hSrc < 0 && hDst > 0 && (sy + hSrc + 1 < syLo || sy > syHi)) {
      yDst += (hDst - rb) - rt;
    } else if (hSrc > 0 && hDst < 0 && (sy < syLo || sy + hSrc > syHi)) {
      yDst -= rb - (hDst - rt);
    }
  }

  // Columns map the same way on every row: list them once.
  std::vector<int> columns(static_cast<size_t>(dxHi - dxLo));
  for (int x = dxLo; x < dxHi; ++x) {
    columns[static_cast<size_t>(x - dxLo)] = MapAxis(x, xDst, wDst, xSrc, wSrc, sxLo, sxHi, /*firstWins=*/false);
  }
  ForRows(dyLo, dyHi, int64_t{dxHi - dxLo} * (dyHi - dyLo), [&](int first, int end) {
    for (int y = first; y < end; ++y) {
      const int row = MapAxis(y, yDst, hDst, sy, hSrc, syLo, syHi, /*firstWins=*/true);
      if (row == kNone) continue;
      const uint8_t* in = source.RowStart(row);
      CvxColor8* out = m_target.Row(y);
      for (int x = dxLo; x < dxHi; ++x) {
        const int column = columns[static_cast<size_t>(x - dxLo)];
        if (column != kNone) out[x] = source.Read(in, column);
      }
    }
  });
  return height;
}

void MemoryDevice::ForRows(int top, int bottom, int64_t pixels, const std::function<void(int, int)>& work) {
  // Below a quarter megapixel the threads would cost more than they save.
  constexpr int64_t kBandedPixels = int64_t{1} << 18;
  if (pixels < kBandedPixels || m_bandCount == 1) {
    work(top, bottom);
    return;
  }
  if (!m_bands) m_bands = std::make_unique<RowBands>(m_bandCount);
  m_bands->Run(bottom - top, [&](int first, int end) { work(top + first, top + end); });
}

}  // namespace glintora
