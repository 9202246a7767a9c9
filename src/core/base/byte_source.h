#pragma once
// Bytes to decode, read in order with seeks: an open file or a block in memory. A decoder
// given one reads the same bytes either way, so pictures stored elsewhere (resources) are
// decoded without a temporary file, and a file is opened once for everything read from it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/file_io.h"

namespace glintora {

class ByteSource {
 public:
  ByteSource() = default;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;
  virtual ~ByteSource() = default;

  // Up to `count` bytes from the position on; fewer only at the end of the bytes.
  virtual size_t Read(void* into, size_t count) = 0;
  // Moves the position to an absolute offset, which may lie past the end (reads there give
  // nothing); false for a negative offset or when the position cannot be moved.
  virtual bool Seek(int64_t offset) = 0;
  virtual int64_t Tell() = 0;
  // All the bytes there are; -1 when they cannot be measured.
  virtual int64_t Size() = 0;
  // The open stream of a file source, for decoders that take a C stream; null in memory.
  virtual std::FILE* Stream() { return nullptr; }
  // The bytes of a memory source; null for a file.
  virtual const uint8_t* Data() const { return nullptr; }

  // The next byte, or EOF at the end.
  int Get() {
    uint8_t byte = 0;
    return Read(&byte, 1) == 1 ? byte : EOF;
  }
  // Bytes from the position to the end; -1 when unknown.
  int64_t Left() {
    const int64_t size = Size();
    const int64_t at = Tell();
    return size < 0 || at < 0 ? -1 : size > at ? size - at : 0;
  }
  // The file's path as given (its extension tells some kinds of file apart); empty in memory.
  const std::string& Name() const { return m_name; }

 protected:
  explicit ByteSource(std::string name) : m_name(std::move(name)) {}

 private:
  std::string m_name;
};

// A file, opened through OpenFile for reading.
class FileByteSource final : public ByteSource {
 public:
  // Null when the file cannot be opened.
  static std::unique_ptr<FileByteSource> Open(const std::string& path);

  size_t Read(void* into, size_t count) override;
  bool Seek(int64_t offset) override;
  int64_t Tell() override;
  int64_t Size() override;
  std::FILE* Stream() override { return m_file.get(); }

 private:
  FileByteSource(const std::string& path, FilePtr file) : ByteSource(path), m_file(std::move(file)) {}

  FilePtr m_file;
  int64_t m_size = -2;  // measured on first use
};

// Bytes in memory, not copied: they must outlive the source.
class MemoryByteSource final : public ByteSource {
 public:
  MemoryByteSource(const void* bytes, size_t size) : m_bytes(static_cast<const uint8_t*>(bytes)), m_size(size) {}

  size_t Read(void* into, size_t count) override;
  bool Seek(int64_t offset) override;
  int64_t Tell() override { return static_cast<int64_t>(m_at); }
  int64_t Size() override { return static_cast<int64_t>(m_size); }
  const uint8_t* Data() const override { return m_bytes; }

 private:
  const uint8_t* m_bytes;
  size_t m_size;
  size_t m_at = 0;  // may lie past the end after a seek
};

// Up to `count` bytes from the start of the source; the position is left at the start.
std::vector<uint8_t> ReadHead(ByteSource& source, size_t count);

}  // namespace glintora
