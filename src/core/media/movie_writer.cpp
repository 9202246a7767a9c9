#include "core/media/movie_writer.h"

#include <algorithm>
#include <numeric>

#include "core/media/jpeg_encoder.h"

namespace glintora {
namespace {

// A box of the container under construction: its type, then what is appended to it.
class Box {
 public:
  explicit Box(const char* type) {
    U32(0);
    bytes.insert(bytes.end(), type, type + 4);
  }
  Box& U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Box& U16(uint16_t v) { return U8(static_cast<uint8_t>(v >> 8)).U8(static_cast<uint8_t>(v)); }
  Box& U32(uint32_t v) { return U16(static_cast<uint16_t>(v >> 16)).U16(static_cast<uint16_t>(v)); }
  Box& U64(uint64_t v) { return U32(static_cast<uint32_t>(v >> 32)).U32(static_cast<uint32_t>(v)); }
  Box& Zeros(size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  Box& Text(const char* four) {
    bytes.insert(bytes.end(), four, four + 4);
    return *this;
  }
  Box& Add(const Box& child) {
    const std::vector<uint8_t> done = child.Done();
    bytes.insert(bytes.end(), done.begin(), done.end());
    return *this;
  }
  // The identity matrix of the header boxes (16.16 and 2.30 fixed point).
  Box& Matrix() { return U32(0x10000).U32(0).U32(0).U32(0).U32(0x10000).U32(0).U32(0).U32(0).U32(0x40000000); }
  std::vector<uint8_t> Done() const {
    std::vector<uint8_t> out = bytes;
    const auto size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (24 - 8 * i));
    return out;
  }

 private:
  std::vector<uint8_t> bytes;
};

}  // namespace

std::vector<uint8_t> EncodeJpegFrame(const VideoFrame& frame, int quality) {
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.pixels.size() != static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height)) {
    return {};
  }
  const auto rows = [&frame](int y, uint8_t* row) {
    const uint32_t* source = &frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.width)];
    for (size_t x = 0; x < static_cast<size_t>(frame.width); ++x) {
      row[x * 3] = static_cast<uint8_t>(source[x] >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(source[x] >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(source[x]);
    }
  };
  return EncodeJpeg(frame.width, frame.height, rows, quality);
}

MovieWriter::~MovieWriter() {
  if (m_file) std::fclose(m_file);
}

bool MovieWriter::Begin(const std::string& path, int width, int height, uint32_t timeScale) {
  if (m_file || width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF || timeScale == 0) return false;
  m_file = std::fopen(path.c_str(), "wb");
  if (!m_file) return false;
  m_width = width;
  m_height = height;
  m_timeScale = timeScale;
  // The file type, then the frames' box with a 64-bit size filled in at the end.
  Box type("ftyp");
  type.Text("qt  ").U32(0x200).Text("qt  ");
  const std::vector<uint8_t> head = type.Done();
  const uint8_t media[16] = {0, 0, 0, 1, 'm', 'd', 'a', 't'};
  m_failed = std::fwrite(head.data(), 1, head.size(), m_file) != head.size() ||
             std::fwrite(media, 1, sizeof media, m_file) != sizeof media;
  m_mediaStart = head.size();
  m_offset = head.size() + sizeof media;
  return !m_failed;
}

bool MovieWriter::AddFrame(const std::vector<uint8_t>& jpeg, uint32_t duration) {
  if (!m_file || m_failed || jpeg.empty()) return false;
  if (std::fwrite(jpeg.data(), 1, jpeg.size(), m_file) != jpeg.size()) {
    m_failed = true;
    return false;
  }
  m_offsets.push_back(m_offset);
  m_sizes.push_back(static_cast<uint32_t>(jpeg.size()));
  m_durations.push_back(duration);
  m_offset += jpeg.size();
  return true;
}

bool MovieWriter::Finish() {
  if (!m_file) return false;
  const uint64_t total = std::accumulate(m_durations.begin(), m_durations.end(), uint64_t{0});
  const auto duration = static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu));
  const auto count = static_cast<uint32_t>(m_sizes.size());
  const uint32_t width = static_cast<uint32_t>(m_width) << 16;
  const uint32_t height = static_cast<uint32_t>(m_height) << 16;

  Box header("mvhd");
  header.U32(0).U32(0).U32(0).U32(m_timeScale).U32(duration).U32(0x10000).U16(0x100).Zeros(10).Matrix();
  header.Zeros(24).U32(2);  // preview, poster, selection and current time; the next track's id
  Box track("tkhd");  // enabled, in the movie, preview and poster; track 1
  track.U32(0xF).U32(0).U32(0).U32(1).U32(0).U32(duration).Zeros(8).U16(0).U16(0).U16(0).U16(0).Matrix();
  track.U32(width).U32(height);
  Box mediaHeader("mdhd");
  mediaHeader.U32(0).U32(0).U32(0).U32(m_timeScale).U32(duration).U16(0).U16(0);
  Box handler("hdlr");
  handler.U32(0).Text("mhlr").Text("vide").Zeros(12).U8(0);
  Box videoHeader("vmhd");
  videoHeader.U32(1).Zeros(8);
  Box dataHandler("hdlr");
  dataHandler.U32(0).Text("dhlr").Text("alis").Zeros(12).U8(0);
  Box alias("alis");
  alias.U32(1);  // the data is in this file
  Box references("dref");
  references.U32(0).U32(1).Add(alias);
  Box dataInfo("dinf");
  dataInfo.Add(references);

  // One sample description: JPEG frames of this size, 72 dpi, 24 bits.
  Box entry("jpeg");
  entry.Zeros(6).U16(1).U16(0).U16(0).Text("glin").U32(0).U32(0x200);
  entry.U16(static_cast<uint16_t>(m_width)).U16(static_cast<uint16_t>(m_height)).U32(0x480000).U32(0x480000);
  entry.U32(0).U16(1).Zeros(32).U16(24).U16(0xFFFF);
  Box descriptions("stsd");
  descriptions.U32(0).U32(1).Add(entry);
  // Durations as runs of equal ones.
  Box times("stts");
  std::vector<std::pair<uint32_t, uint32_t>> runs;
  for (uint32_t d : m_durations) {
    if (!runs.empty() && runs.back().second == d) {
      ++runs.back().first;
    } else {
      runs.emplace_back(1, d);
    }
  }
  times.U32(0).U32(static_cast<uint32_t>(runs.size()));
  for (const auto& [n, d] : runs) times.U32(n).U32(d);
  Box chunks("stsc");  // one frame a chunk
  chunks.U32(0).U32(1).U32(1).U32(1).U32(1);
  Box sizes("stsz");
  sizes.U32(0).U32(0).U32(count);
  for (uint32_t size : m_sizes) sizes.U32(size);
  Box offsets("co64");
  offsets.U32(0).U32(count);
  for (uint64_t offset : m_offsets) offsets.U64(offset);
  Box table("stbl");
  table.Add(descriptions).Add(times).Add(chunks).Add(sizes).Add(offsets);
  Box mediaInfo("minf");
  mediaInfo.Add(videoHeader).Add(dataHandler).Add(dataInfo).Add(table);
  Box media("mdia");
  media.Add(mediaHeader).Add(handler).Add(mediaInfo);
  Box trak("trak");
  trak.Add(track).Add(media);
  Box movie("moov");
  movie.Add(header).Add(trak);
  const std::vector<uint8_t> tail = movie.Done();

  bool ok = !m_failed && std::fwrite(tail.data(), 1, tail.size(), m_file) == tail.size();
  // The frames' box size, now known.
  const uint64_t mediaSize = m_offset - m_mediaStart;
  uint8_t size[8];
  for (int i = 0; i < 8; ++i) size[i] = static_cast<uint8_t>(mediaSize >> (56 - 8 * i));
  ok = ok && std::fseek(m_file, static_cast<long>(m_mediaStart + 8), SEEK_SET) == 0 &&
       std::fwrite(size, 1, sizeof size, m_file) == sizeof size;
  ok = std::fclose(m_file) == 0 && ok;
  m_file = nullptr;
  return ok;
}

}  // namespace glintora
