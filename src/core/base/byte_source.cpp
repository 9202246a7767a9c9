#include "core/base/byte_source.h"

#include <algorithm>
#include <cstring>

namespace glintora {

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
  FilePtr file = OpenFile(path, "rb");
  if (!file) return nullptr;
  return std::unique_ptr<FileByteSource>(new FileByteSource(path, std::move(file)));
}

size_t FileByteSource::Read(void* into, size_t count) { return std::fread(into, 1, count, m_file.get()); }

bool FileByteSource::Seek(int64_t offset) { return SeekTo(m_file.get(), offset); }

int64_t FileByteSource::Tell() { return StreamPosition(m_file.get()); }

int64_t FileByteSource::Size() {
  if (m_size == -2) {
    const int64_t at = Tell();
    const int64_t left = at < 0 ? -1 : BytesLeft(m_file.get());
    m_size = left < 0 ? -1 : at + left;
  }
  return m_size;
}

size_t MemoryByteSource::Read(void* into, size_t count) {
  const size_t n = m_at < m_size ? std::min(count, m_size - m_at) : 0;
  if (n > 0) std::memcpy(into, m_bytes + m_at, n);
  m_at += n;
  return n;
}

bool MemoryByteSource::Seek(int64_t offset) {
  if (offset < 0 || static_cast<uint64_t>(offset) > SIZE_MAX) return false;
  m_at = static_cast<size_t>(offset);
  return true;
}

std::vector<uint8_t> ReadHead(ByteSource& source, size_t count) {
  std::vector<uint8_t> head(count);
  head.resize(source.Seek(0) ? source.Read(head.data(), count) : 0);
  source.Seek(0);
  return head;
}

}  // namespace glintora
