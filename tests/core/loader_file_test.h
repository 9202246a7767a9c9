#pragma once
// A test fixture for one loader fed with files written at test time.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/image/image.h"
#include "fixtures.h"

namespace glintora::testing {

// Every channel of every pixel in memory order, row by row (16-bit channels little-endian).
inline std::vector<int> AllValues(const CvxImage& image) {
  std::vector<int> values;
  for (int y = 0; y < image.m_height; ++y) {
    const uint8_t* row = image.GetRows()[y];
    for (int i = 0; i < image.m_width * image.GetChannels(); ++i) {
      values.push_back(image.GetBytesPerChannel() == 1 ? row[i] : row[2 * i] | row[2 * i + 1] << 8);
    }
  }
  return values;
}

template <typename Loader>
class LoaderFileTest : public ::testing::Test {
 protected:
  // `extension` names the files; `format` is the format code the loader's images carry.
  LoaderFileTest(std::string extension, int32_t format) : m_extension(std::move(extension)), m_format(format) {}

  // A path in the test's folder that no other file of the test has.
  std::string NewPath() { return m_folder.Path("file" + std::to_string(++m_count) + m_extension); }
  std::string Save(const std::vector<uint8_t>& bytes) {
    const std::string path = NewPath();
    WriteBytes(path, bytes);
    return path;
  }
  // Decodes, checking the type, the format and the size.
  std::unique_ptr<CvxImage> Decode(const std::vector<uint8_t>& bytes, int32_t type, int width, int height) {
    std::unique_ptr<CvxImage> image = m_loader.Load(Save(bytes));
    const bool right = image && image->GetType() == type && image->m_format == m_format && image->m_width == width &&
                       image->m_height == height;
    EXPECT_TRUE(right) << (image ? "wrong type, format or size" : "not decoded");
    return right ? std::move(image) : nullptr;
  }

  TempFolder m_folder;
  Loader m_loader;

 private:
  std::string m_extension;
  int32_t m_format;
  int m_count = 0;
};

}  // namespace glintora::testing
