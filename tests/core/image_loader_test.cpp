#include <gtest/gtest.h>

#include <filesystem>

#include "core/loaders/image_loader.h"
#include "fixtures.h"

namespace glintora {
namespace {

using testing::BmpSpec;
using testing::EncodeBmp;
using testing::EncodeJpeg;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<uint8_t> SmallJpeg() {
  CvxImageColor8 picture(16, 16, true);
  picture.FillRect(0, 0, 16, 16, CvxColor8(10, 200, 30));
  return EncodeJpeg(picture);
}

TEST(ImageLoader, ChoosesTheLoaderByContentsNotName) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  const std::string jpegNamedBmp = folder.Path("photo.bmp");
  WriteBytes(jpegNamedBmp, SmallJpeg());
  auto image = loader.Load(jpegNamedBmp, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Jpeg);

  BmpSpec spec{2, 2, 24};
  spec.rows = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFFFF}};
  const std::string bmpNamedJpg = folder.Path("picture.jpg");
  WriteBytes(bmpNamedJpg, EncodeBmp(spec));
  auto bitmap = loader.Load(bmpNamedJpg, 0, 0);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->m_format, Bmp);

  const std::string nothing = folder.Path("nothing.jpg");
  WriteBytes(nothing, {0xFF, 0xD8, 0x00, 0x00, 'B', 'M'});
  EXPECT_EQ(loader.Load(nothing, 0, 0), nullptr);
  EXPECT_EQ(loader.Load(folder.Path("missing.jpg"), 0, 0), nullptr);
}

TEST(ImageLoader, AFailedDecodeIsNotPassedOn) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  std::vector<uint8_t> bytes = SmallJpeg();
  bytes.resize(40);
  const std::string path = folder.Path("broken.jpg");
  WriteBytes(path, bytes);
  EXPECT_EQ(loader.Load(path, 0, 0), nullptr);
}

TEST(ImageLoader, RawFilesAreToldByExtension) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  for (const char* name : {"a.NEF", "b.cr2", "c.Raf", "d.x3f", "e.dcr"}) EXPECT_TRUE(loader.LooksLikeRaw(name)) << name;
  for (const char* name : {"a.jpg", "b.nef.jpg", "nef", "c.dng"}) EXPECT_FALSE(loader.LooksLikeRaw(name)) << name;
  // A TIFF-named file is a RAW file only for the two TIFF-writing cameras.
  const std::string tiff = folder.Path("plain.tif");
  WriteBytes(tiff, {'I', 'I', 42, 0});
  EXPECT_FALSE(loader.LooksLikeRaw(tiff));
  EXPECT_FALSE(loader.LooksLikeRaw(tiff)) << "remembered";

  // A RAW-named file that no RAW decode yields goes to the other loaders.
  const std::string nef = folder.Path("really-a-jpeg.NEF");
  WriteBytes(nef, SmallJpeg());
  auto image = loader.Load(nef, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Jpeg);
}

int CountTemporaryFiles() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
    if (entry.path().filename().string().rfind("vx", 0) == 0) ++count;
  }
  return count;
}

TEST(ImageLoader, PictureBytesGoThroughATemporaryFileThatIsAlwaysDeleted) {
  CvxImageLoader loader(CvxColor8{});
  const int before = CountTemporaryFiles();
  const std::vector<uint8_t> jpeg = SmallJpeg();
  auto image = loader.LoadFromMemory(jpeg.data(), jpeg.size());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_width, 16);
  EXPECT_EQ(loader.LoadFromMemory(nullptr, 0), nullptr);
  const uint8_t junk[] = {1, 2, 3};
  EXPECT_EQ(loader.LoadFromMemory(junk, sizeof junk), nullptr);
  EXPECT_EQ(CountTemporaryFiles(), before);
}

}  // namespace
}  // namespace glintora
