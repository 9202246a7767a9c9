#include "core/loaders/raw/raw_decoder.h"

#include <libraw/libraw.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "core/base/byte_source.h"
#include "core/base/file_io.h"

namespace glintora {
namespace {

// The library reports damaged data on the standard error stream by default; a bad file is
// skipped in silence instead.
void IgnoreDataError(void* /*context*/, const char* /*file*/, const int /*offset*/) {}

// Interpolation codes the library knows; anything else is bilinear.
int InterpolationQuality(int quality) { return quality >= 0 && quality <= 3 ? quality : 0; }

// The BT.709 transfer curve on [0, 1].
double Transfer709(double v) { return v < 0.018 ? 4.5 * v : 1.099 * std::pow(v, 0.45) - 0.099; }

std::atomic<int64_t> g_filesHandedToLibrary{0};

}  // namespace

// The library reads a file through this, on the stream the caller opened: what the
// library's own C-stream reader does, without opening the file again or closing it.
class DCRawStream final : public LibRaw_abstract_datastream {
 public:
  DCRawStream(std::FILE* file, int64_t size, const std::string& name) : m_file(file), m_size(size), m_name(name) {}

  int valid() override { return 1; }
  int read(void* into, size_t size, size_t count) override { return static_cast<int>(std::fread(into, size, count, m_file)); }
  int seek(INT64 offset, int whence) override {
    int64_t base = 0;
    if (whence == SEEK_CUR) base = StreamPosition(m_file);
    if (whence == SEEK_END) base = m_size;
    if (base < 0 || (offset > 0 && offset > INT64_MAX - base)) return -1;
    return SeekTo(m_file, base + offset) ? 0 : -1;
  }
  INT64 tell() override { return StreamPosition(m_file); }
  INT64 size() override { return m_size; }
  int get_char() override { return std::fgetc(m_file); }
  char* gets(char* into, int size) override { return size < 1 ? nullptr : std::fgets(into, size, m_file); }
  int scanf_one(const char* format, void* value) override { return std::fscanf(m_file, format, value); }
  int eof() override { return std::feof(m_file); }
  const char* fname() override { return m_name.empty() ? nullptr : m_name.c_str(); }

 private:
  std::FILE* m_file;
  int64_t m_size;
  std::string m_name;
};

namespace {

const std::array<uint8_t, 65536>& ZeroCurve() {
  static const std::array<uint8_t, 65536> zero{};
  return zero;
}

}  // namespace

DCRaw::DCRaw() = default;

DCRaw::~DCRaw() { CloseFile(); }

int64_t DCRaw::FilesHandedToLibrary() { return g_filesHandedToLibrary.load(); }

const char* DCRaw::LibraryVersion() { return LibRaw::version(); }

int DCRaw::OnStage(void* self, int stage, int iteration, int /*expected*/) {
  auto* decoder = static_cast<DCRaw*>(self);
  if (decoder->m_abandon && decoder->m_abandon()) return 1;
  // The library announces the start of its RGB conversion once interpolation and the
  // finishing steps are done.
  if (stage == LIBRAW_PROGRESS_CONVERT_RGB && iteration == 0 && decoder->m_processed && !decoder->m_processedAsked) {
    decoder->m_processedAsked = true;
    if (!(*decoder->m_processed)()) return 1;
  }
  return 0;
}

bool DCRaw::OpenAndIdentify(ByteSource& source, bool diagonalLayout) {
  LibRaw& raw = *m_raw;
  raw.recycle();
  m_stream.reset();  // the library holds it no longer
  raw.set_dataerror_handler(&IgnoreDataError, nullptr);
  raw.set_progress_handler(
      [](void* self, LibRaw_progress stage, int iteration, int expected) {
        return OnStage(self, static_cast<int>(stage), iteration, expected);
      },
      this);
  libraw_output_params_t& params = raw.imgdata.params;
  // Pictures from a diagonal sensor stay in their diagonal layout: the RAW loader turns
  // them upright itself. Every other picture is stretched to square pixels.
  params.use_fuji_rotate = diagonalLayout ? 0 : 1;
  params.output_bps = 16;
  params.half_size = 0;
  ++g_filesHandedToLibrary;
  if (!source.Seek(0)) return false;
  if (std::FILE* file = source.Stream()) {
    const int64_t size = source.Size();
    if (size < 0) return false;
    m_stream.reset(new (std::nothrow) DCRawStream(file, size, SystemPath(source.Name())));
    return m_stream && raw.open_datastream(m_stream.get()) == LIBRAW_SUCCESS;
  }
  const int64_t size = source.Size();
  return source.Data() && size >= 0 &&
         raw.open_buffer(source.Data(), static_cast<size_t>(size)) == LIBRAW_SUCCESS;
}

bool DCRaw::IdentifyFile(const std::string& path) {
  CloseFile();
  m_ownedSource = FileByteSource::Open(path);
  return m_ownedSource && IdentifyOpen(*m_ownedSource);
}

bool DCRaw::IdentifySource(ByteSource& source) {
  CloseFile();
  return IdentifyOpen(source);
}

bool DCRaw::IdentifyOpen(ByteSource& source) {
  if (!m_raw) {
    // The library's state is large (most of a megabyte): never on the stack.
    m_raw.reset(new (std::nothrow) LibRaw(LIBRAW_OPTIONS_NONE));
    if (!m_raw) return false;
  }
  // A diagonal sensor is known only once identified; identify again with its layout kept.
  if (!OpenAndIdentify(source, false) || (m_raw->is_fuji_rotated() && !OpenAndIdentify(source, true))) {
    CloseFile();
    return false;
  }
  m_open = true;

  const libraw_iparams_t& id = m_raw->imgdata.idata;
  const libraw_image_sizes_t& sizes = m_raw->imgdata.sizes;
  libraw_decoder_info_t decoder{};
  const bool decodable = m_raw->get_decoder_info(&decoder) == LIBRAW_SUCCESS &&
                         !(decoder.decoder_flags & LIBRAW_DECODER_NOTSET) && id.colors >= 1 && id.colors <= 4 &&
                         sizes.width > 0 && sizes.height > 0 && sizes.raw_width > 0 && sizes.raw_height > 0;
  if (!decodable) {
    CloseFile();
    return false;
  }
  m_maker.assign(id.make, strnlen(id.make, sizeof id.make));
  m_model.assign(id.model, strnlen(id.model, sizeof id.model));
  ComputeFullSize();
  return true;
}

void DCRaw::CloseFile() {
  if (m_raw) m_raw->recycle();
  m_stream.reset();
  m_ownedSource.reset();
  m_open = false;
  m_maker.clear();
  m_model.clear();
  m_fullWidth = m_fullHeight = 0;
  m_bufferWidth = m_bufferHeight = m_outWidth = m_outHeight = 0;
  m_flip = 0;
  m_halfSize = false;
  m_curve.reset();
}

int DCRaw::RawWidth() const { return m_open ? m_raw->imgdata.sizes.raw_width : 0; }
int DCRaw::RawHeight() const { return m_open ? m_raw->imgdata.sizes.raw_height : 0; }
bool DCRaw::HasColorFilter() const { return m_open && m_raw->imgdata.idata.filters != 0; }
int DCRaw::Colors() const { return m_open ? m_raw->imgdata.idata.colors : 0; }
int64_t DCRaw::DataOffset() const {
  return m_open ? static_cast<int64_t>(m_raw->get_internal_data_pointer()->unpacker_data.data_offset) : 0;
}

void DCRaw::ComputeFullSize() {
  const libraw_image_sizes_t& sizes = m_raw->imgdata.sizes;
  double width = sizes.width;
  double height = sizes.height;
  const double aspect = sizes.pixel_aspect;
  if (!m_raw->is_fuji_rotated() && std::isfinite(aspect) && aspect > 0) {
    // Non-square sensor pixels: the short side is stretched, as the library does.
    if (aspect < 1) height = std::floor(height / aspect + 0.5);
    if (aspect > 1) width = std::floor(width * aspect + 0.5);
  }
  if (!std::isfinite(aspect) || aspect <= 0 || width > INT32_MAX || height > INT32_MAX) {
    m_fullWidth = m_fullHeight = 0;  // no sensible picture: too large to decode
    return;
  }
  const bool turned = (sizes.flip & 4) != 0;
  m_fullWidth = static_cast<int>(turned ? height : width);
  m_fullHeight = static_cast<int>(turned ? width : height);
}

void DCRaw::SetParameters(float brightness, bool autoWhiteBalance, bool cameraWhiteBalance, int quality,
                          int highlights, int medianPasses) {
  m_curveBrightness = std::isfinite(brightness) && brightness > 0 ? brightness : 1.0f;
  if (!m_raw) return;
  libraw_output_params_t& params = m_raw->imgdata.params;
  params.bright = m_curveBrightness;
  params.use_auto_wb = autoWhiteBalance ? 1 : 0;
  params.use_camera_wb = cameraWhiteBalance ? 1 : 0;
  params.user_qual = InterpolationQuality(quality);
  params.highlight = highlights >= 0 && highlights <= 9 ? highlights : 0;
  params.med_passes = medianPasses >= 0 && medianPasses <= 10 ? medianPasses : 0;
}

void DCRaw::SetHalfSize(bool half) {
  m_halfSize = half && HasColorFilter();
  if (m_raw) m_raw->imgdata.params.half_size = m_halfSize ? 1 : 0;
}

bool DCRaw::LoadRawData() {
  if (!m_open) return false;
  // Bound the work before anything is allocated: the sensor samples and the working image
  // of four 16-bit samples a pixel at the full output size.
  const libraw_image_sizes_t& sizes = m_raw->imgdata.sizes;
  const int64_t rawBytes = int64_t{sizes.raw_width} * sizes.raw_height * 2 * std::max(1, m_raw->imgdata.idata.colors);
  const int64_t workingBytes = int64_t{m_fullWidth} * m_fullHeight * 8;
  if (m_fullWidth <= 0 || m_fullHeight <= 0 || rawBytes > kMaxWorkingBytes || workingBytes > kMaxWorkingBytes) {
    return false;
  }
  return m_raw->unpack() == LIBRAW_SUCCESS;
}

bool DCRaw::Process(const std::function<bool()>& processed) {
  if (!m_open) return false;
  m_processed = &processed;
  m_processedAsked = false;
  const int result = m_raw->dcraw_process();
  m_processed = nullptr;
  if (result != LIBRAW_SUCCESS || !m_raw->imgdata.image) return false;
  // Without the library's announcement the RGB conversion is still behind us now.
  if (!m_processedAsked && !processed()) return false;

  const libraw_image_sizes_t& sizes = m_raw->imgdata.sizes;
  m_bufferWidth = sizes.width;
  m_bufferHeight = sizes.height;
  m_flip = sizes.flip;
  if (m_bufferWidth <= 0 || m_bufferHeight <= 0) return false;
  const bool turned = (m_flip & 4) != 0;
  m_outWidth = turned ? m_bufferHeight : m_bufferWidth;
  m_outHeight = turned ? m_bufferWidth : m_bufferHeight;
  BuildCurve();
  return m_curve != nullptr;
}

void DCRaw::OutputRow(int y, uint16_t* rgb) const {
  // An output row is a straight line through the buffer: along a buffer row, or down a
  // buffer column for a quarter turn, either way round when mirrored.
  const int64_t width = m_bufferWidth;
  const int64_t height = m_bufferHeight;
  int64_t start = 0;
  int64_t step = 0;
  if (m_flip & 4) {
    const int64_t column = (m_flip & 1) ? width - 1 - y : y;
    start = ((m_flip & 2) ? (height - 1) * width : 0) + column;
    step = (m_flip & 2) ? -width : width;
  } else {
    const int64_t row = (m_flip & 2) ? height - 1 - y : y;
    start = row * width + ((m_flip & 1) ? width - 1 : 0);
    step = (m_flip & 1) ? -1 : 1;
  }
  const auto* pixel = m_raw->imgdata.image + start;
  for (int x = 0; x < m_outWidth; ++x, pixel += step) {
    rgb[3 * x] = (*pixel)[0];
    rgb[3 * x + 1] = (*pixel)[1];
    rgb[3 * x + 2] = (*pixel)[2];
  }
}

const std::array<uint8_t, 65536>& DCRaw::Curve8() const { return m_curve ? *m_curve : ZeroCurve(); }

void DCRaw::BuildCurve() {
  m_curve.reset(new (std::nothrow) std::array<uint8_t, 65536>);
  if (!m_curve) return;
  const int white = WhitePoint();
  const double scale = static_cast<double>(m_curveBrightness) / white;
  const auto curve = [scale](int v) {
    const double linear = std::min(1.0, v * scale);
    return static_cast<int>(std::lround(255.0 * Transfer709(linear)));
  };
  // The curve rises in at most 256 steps: find where each step begins by bisection rather
  // than evaluating the transfer function 65536 times.
  int start = 0;
  int level = curve(0);
  while (start < 65536) {
    int low = start;
    int high = 65536;  // the first value above `level`, or past the end
    while (high - low > 1) {
      const int middle = low + (high - low) / 2;
      (curve(middle) > level ? high : low) = middle;
    }
    std::fill(m_curve->begin() + start, m_curve->begin() + high, static_cast<uint8_t>(level));
    start = high;
    if (start < 65536) level = curve(start);
  }
}

int DCRaw::WhitePoint() const {
  // Per channel, the level that 99 % of the samples stay below; the brightest channel
  // decides. Counted in two passes, by the high byte and then by the low byte within the
  // high byte where that level lies, so the counts take 3 KB instead of 768 KB.
  const auto* image = m_raw->imgdata.image;
  const size_t pixels = static_cast<size_t>(m_bufferWidth) * static_cast<size_t>(m_bufferHeight);
  const uint64_t allowed = pixels / 100;
  std::array<std::array<uint64_t, 256>, 3> counts{};
  for (size_t i = 0; i < pixels; ++i) {
    for (int c = 0; c < 3; ++c) ++counts[static_cast<size_t>(c)][image[i][c] >> 8];
  }
  // Walks down from the top of `count` while the samples above stay within `allowed`.
  const auto walk = [allowed](const std::array<uint64_t, 256>& count, uint64_t& above, int& bin) {
    while (bin > 0 && above + count[static_cast<size_t>(bin)] <= allowed) above += count[static_cast<size_t>(bin--)];
  };
  std::array<uint64_t, 3> above{};
  std::array<int, 3> high{255, 255, 255};
  for (int c = 0; c < 3; ++c) walk(counts[static_cast<size_t>(c)], above[static_cast<size_t>(c)], high[static_cast<size_t>(c)]);
  counts = {};
  for (size_t i = 0; i < pixels; ++i) {
    for (int c = 0; c < 3; ++c) {
      const int v = image[i][c];
      if (v >> 8 == high[static_cast<size_t>(c)]) ++counts[static_cast<size_t>(c)][v & 0xFF];
    }
  }
  int white = 1;
  for (int c = 0; c < 3; ++c) {
    int low = 255;
    walk(counts[static_cast<size_t>(c)], above[static_cast<size_t>(c)], low);
    white = std::max(white, high[static_cast<size_t>(c)] << 8 | low);
  }
  return white;
}

}  // namespace glintora
