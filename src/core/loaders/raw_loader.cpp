#include "core/loaders/raw_loader.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "core/base/text.h"

namespace glintora {

void CvxRawParams::SetDefaults() {
  m_outputDepth = 0;
  m_brightness = 1.0f;
  m_interpolation = 0;
  m_highlights = 0;
  m_medianPasses = 0;
  m_unused = 0;
  m_autoWhiteBalance = kRawWhiteBalanceMode == 1;
  m_cameraWhiteBalance = kRawWhiteBalanceMode == 2;
  m_progress = nullptr;
  m_progressContext = nullptr;
}

CvxLoaderRAW::CvxLoaderRAW(const CvxRawParams* params) {
  if (params) static_cast<CvxRawParams&>(*this) = *params;
  // A stop request ends the decoder's long steps early, not only the loader's own.
  SetAbandonCheck([this] { return m_stop.load(); });
}

bool CvxLoaderRAW::KeepGoing() { return !m_stop && (!m_progress || m_progress(m_progressContext)); }

bool CvxLoaderRAW::Identify(ByteSource& source, std::string& maker, std::string& model) {
  bool identified = false;
  try {
    identified = IdentifySource(source);
    if (identified) {
      maker = Maker();
      model = Model();
    }
  } catch (...) {
    identified = false;
  }
  CloseFile();
  return identified;
}

bool CvxLoaderRAW::Identify(const std::string& path, std::string& maker, std::string& model) {
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  return source && Identify(*source, maker, model);
}

bool CvxLoaderRAW::CanLoad(const std::string& path) {
  std::string maker, model;
  return Identify(path, maker, model);
}

CvxImageHeader CvxLoaderRAW::ReadInfo(ByteSource& source) {
  CvxImageHeader header;
  try {
    if (IdentifySource(source)) {
      header = CvxImageHeader(FullOutputWidth(), FullOutputHeight(), Raw, m_outputDepth != 0 ? Color16 : Color8);
    }
  } catch (...) {
    header = CvxImageHeader();
  }
  CloseFile();
  return header;
}

std::unique_ptr<CvxImage> CvxLoaderRAW::Decode(ByteSource& source, const LoadOptions& options) {
  std::unique_ptr<CvxImage> image;
  try {
    image = DecodeIdentified(source, options.halfSize);
  } catch (...) {
    image.reset();
  }
  CloseFile();
  return image;
}

std::unique_ptr<CvxImage> CvxLoaderRAW::DecodeIdentified(ByteSource& source, bool halfSize) {
  // An unknown depth is refused before any work is done.
  if (m_outputDepth != 0 && m_outputDepth != 1) {
    SetDefaults();
    return nullptr;
  }
  if (!IdentifySource(source) || !KeepGoing()) return nullptr;
  SetParameters(m_brightness, m_autoWhiteBalance != 0, m_cameraWhiteBalance != 0, m_interpolation, m_highlights,
                m_medianPasses);
  SetHalfSize(halfSize);
  if (!LoadRawData() || !KeepGoing()) return nullptr;
  if (!Process([this] { return KeepGoing(); }) || !KeepGoing()) return nullptr;

  std::unique_ptr<CvxImage> image = m_outputDepth == 0 ? FillImage<CvxColor8>() : FillImage<CvxColor16>();
  if (!image) return nullptr;
  if (IsDiagonalLayout(source.Name(), image->m_width, image->m_height)) {
    image = FujiUpright(std::move(image));
    if (!image) return nullptr;
  }
  image->m_format = Raw;
  return image;
}

template <typename P>
std::unique_ptr<CvxImage> CvxLoaderRAW::FillImage() {
  auto image = NewImage<P>(OutputWidth(), OutputHeight(), false);
  if (!image) return nullptr;
  std::vector<uint16_t> rgb(static_cast<size_t>(image->m_width) * 3);
  const std::array<uint8_t, 65536>& curve = Curve8();
  for (int y = 0; y < image->m_height; ++y) {
    OutputRow(y, rgb.data());
    P* row = image->Row(y);
    for (int x = 0; x < image->m_width; ++x) {
      const uint16_t* v = &rgb[3 * static_cast<size_t>(x)];
      if constexpr (sizeof(typename PixelTraits<P>::Channel) == 1) {
        row[x] = P(curve[v[2]], curve[v[1]], curve[v[0]]);
      } else {
        row[x] = P(v[2], v[1], v[0]);
      }
    }
    if (!KeepGoing()) return nullptr;
  }
  return image;
}

bool IsDiagonalLayout(const std::string& path, int width, int height) {
  return ToLowerAscii(PathExtension(path)) == ".raf" && std::abs(int64_t{width} - height) < 2;
}

namespace {

template <typename P>
bool IsBlack(const P& pixel) {
  return pixel.c[0] == 0 && pixel.c[1] == 0 && pixel.c[2] == 0;
}

// The diagonal picture's pixels lie on a grid turned by 45°: every source pixel goes into
// a buffer of e rows and j columns along the diagonals, and the upright picture takes each
// buffer pixel twice across a row, filling the pixels between from their four neighbours.
template <typename P>
std::unique_ptr<CvxImage> Upright(std::unique_ptr<CvxImage> picture) {
  const auto& source = static_cast<const CvxImageT<P>&>(*picture);
  const int64_t n = source.m_width;
  const int64_t h = source.m_height;
  if (n < 2 || h < 1) return picture;
  // The picture's extent on the top row: i black pixels before it, and its last column j.
  const P* top = source.Row(0);
  int64_t i = 0;
  while (i < n && IsBlack(top[i])) ++i;
  int64_t j = n - 2;
  while (j > 0 && IsBlack(top[j])) --j;
  const int64_t e = 2 * n - 2 * i - 4;
  // A top row that is all black, or nearly so, shows no diagonal to turn.
  if (e <= 0 || j <= 0) return picture;
  const int64_t width = 2 * j;
  const int64_t height = e;
  // The upright picture is twice the size of the working buffer of e × j pixels.
  if (!FitsImageLimit(width, height, sizeof(P))) return nullptr;

  std::vector<P> buffer;
  try {
    buffer.assign(static_cast<size_t>(e * j), P{});
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  auto cell = [&](int64_t k, int64_t column) -> P& { return buffer[static_cast<size_t>(k * j + column)]; };
  for (int64_t r = 0; r < h; ++r) {
    const P* row = source.Row(static_cast<int>(r));
    // Only the columns that land in the buffer: 0 <= r + c - j + 5 < e and
    // 0 <= c - r + j - 1 < 2j.
    const int64_t first = std::max<int64_t>({0, j - 5 - r, r - j + 1});
    const int64_t last = std::min<int64_t>({n, e + j - 5 - r, r + j + 1});
    for (int64_t c = first; c < last; ++c) cell(r + c - j + 5, (c - r + j - 1) / 2) = row[c];
  }
  picture.reset();  // the decoded picture is no longer needed: free it before the next

  auto result = NewImage<P>(static_cast<int>(width), static_cast<int>(height), true);
  if (!result) return nullptr;
  using Channel = typename PixelTraits<P>::Channel;
  for (int64_t y = 0; y < height; ++y) {
    P* out = result->Row(static_cast<int>(y));
    const bool inner = y >= 1 && y <= e - 2;
    for (int64_t x = 0; x < width; ++x) {
      if ((y + x) % 2 == 0) {
        out[x] = cell(y, x / 2);
      } else if (inner && x >= 1 && x <= width - 2) {
        const int64_t left = x / 2 - (y % 2);
        const P& above = cell(y - 1, x / 2);
        const P& below = cell(y + 1, x / 2);
        const P& before = cell(y, left);
        const P& after = cell(y, left + 1);
        for (int ch = 0; ch < 3; ++ch) {
          out[x].c[ch] = static_cast<Channel>(
              (int64_t{below.c[ch]} + above.c[ch] + before.c[ch] + after.c[ch]) >> 2);
        }
      }
    }
  }
  return result;
}

}  // namespace

std::unique_ptr<CvxImage> FujiUpright(std::unique_ptr<CvxImage> picture) {
  if (!picture || !picture->HasPixels()) return picture;
  switch (picture->GetType()) {
    case Color8: return Upright<CvxColor8>(std::move(picture));
    case Color16: return Upright<CvxColor16>(std::move(picture));
    default: return picture;
  }
}

}  // namespace glintora
