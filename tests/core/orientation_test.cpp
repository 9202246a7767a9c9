// Pictures taken with the camera turned: JPEG files (Exif) and TIFF files of every
// orientation code come out of the loader front door upright; a damaged Exif block leaves
// the picture as stored.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/loaders/image_loader.h"
#include "fixtures.h"

namespace glintora {
namespace {

using testing::EncodeJpeg;
using testing::ExifBlock;
using testing::ExifOrientationBlock;
using testing::TempFolder;

// The upright picture: 48 × 32, a marker square in its top-left corner. Sides and marker are
// whole 16-pixel blocks, so that JPEG keeps the marker's colour up to its edges.
constexpr int kWidth = 48;
constexpr int kHeight = 32;
constexpr int kMarker = 16;
const CvxColor8 kMarkerColour(20, 20, 220);  // red
const CvxColor8 kGround(180, 90, 30);        // blue

enum class Corner { TopLeft, TopRight, BottomRight, BottomLeft };

// What a camera turned as each code says stores: the scene's top-left corner lands in
// `marker` of the stored picture, whose sides are swapped for the codes 5 to 8. Read from
// the tag's definition (the scene's sides that the stored first row and first column show).
struct Taken {
  int orientation;
  bool sidesSwapped;
  Corner marker;
};
constexpr Taken kTaken[] = {
    {1, false, Corner::TopLeft},  {2, false, Corner::TopRight},   {3, false, Corner::BottomRight},
    {4, false, Corner::BottomLeft}, {5, true, Corner::TopLeft},   {6, true, Corner::BottomLeft},
    {7, true, Corner::BottomRight}, {8, true, Corner::TopRight},
};

std::unique_ptr<CvxImageColor8> StoredPicture(int width, int height, Corner marker) {
  auto picture = NewImage<CvxColor8>(width, height, false);
  const int left = marker == Corner::TopRight || marker == Corner::BottomRight ? width - kMarker : 0;
  const int top = marker == Corner::BottomLeft || marker == Corner::BottomRight ? height - kMarker : 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inMarker = x >= left && x < left + kMarker && y >= top && y < top + kMarker;
      picture->At(x, y) = inMarker ? kMarkerColour : kGround;
    }
  }
  return picture;
}

bool Near(const CvxColor8& a, const CvxColor8& b) {
  for (int c = 0; c < 3; ++c) {
    if (std::abs(int{a.c[c]} - int{b.c[c]}) > 40) return false;
  }
  return true;
}

// The image is the upright picture: 48 × 32 with the marker in the top-left corner only.
::testing::AssertionResult StandsUpright(const std::unique_ptr<CvxImage>& image) {
  if (!image) return ::testing::AssertionFailure() << "not decoded";
  const auto* colour = As<CvxColor8>(image.get());
  if (!colour) return ::testing::AssertionFailure() << "type " << image->GetType();
  if (image->m_width != kWidth || image->m_height != kHeight) {
    return ::testing::AssertionFailure() << image->m_width << " x " << image->m_height;
  }
  const int inset = 4;
  const struct {
    const char* name;
    int x, y;
    const CvxColor8& expected;
  } corners[] = {{"top left", inset, inset, kMarkerColour},
                 {"top right", kWidth - 1 - inset, inset, kGround},
                 {"bottom right", kWidth - 1 - inset, kHeight - 1 - inset, kGround},
                 {"bottom left", inset, kHeight - 1 - inset, kGround}};
  for (const auto& corner : corners) {
    if (!Near(colour->At(corner.x, corner.y), corner.expected)) {
      return ::testing::AssertionFailure() << "wrong colour in the " << corner.name << " corner";
    }
  }
  return ::testing::AssertionSuccess();
}

class OrientationTest : public ::testing::Test {
 protected:
  std::string WriteJpeg(const CvxImageColor8& picture, std::vector<std::vector<uint8_t>> app1) {
    const std::string path = m_folder.Path("p" + std::to_string(++m_count) + ".jpg");
    testing::WriteBytes(path, EncodeJpeg(picture, {.app1 = std::move(app1)}));
    return path;
  }
  std::string WriteTiff(const CvxImageColor8& picture, int orientation) {
    const std::string path = m_folder.Path("p" + std::to_string(++m_count) + ".tif");
    EXPECT_TRUE(testing::WriteTiff(picture, path, orientation));
    return path;
  }

  TempFolder m_folder;
  CvxImageLoader m_loader{CvxColor8{}};
  int m_count = 0;
};

TEST_F(OrientationTest, EveryCodeStandsUprightInJpegAndTiff) {
  for (const Taken& taken : kTaken) {
    SCOPED_TRACE("orientation " + std::to_string(taken.orientation));
    const auto stored = StoredPicture(taken.sidesSwapped ? kHeight : kWidth, taken.sidesSwapped ? kWidth : kHeight,
                                      taken.marker);
    // Both byte orders of the Exif block, taking turns.
    const bool bigEndian = taken.orientation % 2 == 0;
    EXPECT_TRUE(StandsUpright(m_loader.Load(WriteJpeg(*stored, {ExifOrientationBlock(taken.orientation, bigEndian)}), 0, 0)))
        << "JPEG";
    EXPECT_TRUE(StandsUpright(m_loader.Load(WriteTiff(*stored, taken.orientation), 0, 0))) << "TIFF";
  }
}

TEST_F(OrientationTest, ExifAfterAnotherApplicationSegmentCounts) {
  const std::vector<uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.', 'x', 'm', 'p', 0, '<', '/', '>'};
  const auto stored = StoredPicture(kHeight, kWidth, Corner::BottomLeft);
  EXPECT_TRUE(StandsUpright(m_loader.Load(WriteJpeg(*stored, {xmp, ExifOrientationBlock(6)}), 0, 0)));
}

TEST_F(OrientationTest, SwitchedOffPicturesComeAsStored) {
  m_loader.SetAutoRotate(false);
  const auto stored = StoredPicture(kHeight, kWidth, Corner::BottomLeft);
  for (const std::string& path : {WriteJpeg(*stored, {ExifOrientationBlock(6)}), WriteTiff(*stored, 6)}) {
    const auto image = m_loader.Load(path, 0, 0);
    ASSERT_NE(image, nullptr) << path;
    EXPECT_EQ(image->m_width, kHeight) << path;
    EXPECT_EQ(image->m_height, kWidth) << path;
  }
}

// Offsets below count from the block's start: the Exif header takes 6 bytes, the TIFF
// structure's offsets count from byte 6. ExifOrientationBlock(6) is 44 bytes: byte order at
// 6, 42 at 8, the first directory's offset at 10 (8, so the directory is at 14), its entry
// count at 14, the maker entry at 16, the orientation entry at 28 (type at 30, count at 32,
// value at 36), the next directory's offset at 40.
struct Damage {
  const char* what;
  std::vector<uint8_t> block;
};

std::vector<uint8_t> Patched(std::vector<uint8_t> block, size_t at, std::vector<uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
  return block;
}
std::vector<uint8_t> Cut(std::vector<uint8_t> block, size_t size) {
  block.resize(size);
  return block;
}

// A first directory without the tag whose next one (with orientation 6) leads back to it.
std::vector<uint8_t> DirectoryLoop() {
  // The first directory (one entry) spans TIFF offsets 8 to 25; the second stands at 26.
  std::vector<uint8_t> block = ExifBlock({{271, 2, 1, 0}}, false, 26);
  for (uint8_t byte : {1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 8, 0, 0, 0}) block.push_back(byte);
  return block;
}

TEST_F(OrientationTest, DamagedExifLeavesThePictureAsStored) {
  const std::vector<uint8_t> good = ExifOrientationBlock(6);
  ASSERT_EQ(good.size(), 44u);
  const Damage damages[] = {
      {"first directory past the end", Patched(good, 10, {0x00, 0x10, 0, 0})},
      {"first directory far past the end", Patched(good, 10, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"first directory inside the header", Patched(good, 10, {2, 0, 0, 0})},
      {"more entries than the block holds", Patched(good, 14, {0xFF, 0xFF})},
      {"block cut inside the orientation entry", Cut(good, 34)},
      {"block cut inside the header", Cut(good, 11)},
      {"only the Exif header", Cut(good, 6)},
      {"unknown byte order", Patched(good, 6, {'I', 'M'})},
      {"not 42", Patched(good, 8, {43, 0})},
      {"orientation 0", Patched(good, 36, {0, 0})},
      {"orientation 9", Patched(good, 36, {9, 0})},
      {"orientation as a long value", Patched(good, 30, {testing::kTiffLong, 0})},
      {"two orientation values", Patched(good, 32, {2, 0, 0, 0})},
      {"a loop of directories", DirectoryLoop()},
      {"a directory that names itself next", ExifBlock({{271, 2, 1, 0}}, true, 8)},
      {"no Exif header", Patched(good, 0, {'E', 'x', 'i', 'F'})},
  };
  const auto stored = StoredPicture(kWidth, kHeight, Corner::TopLeft);
  for (const Damage& damage : damages) {
    EXPECT_TRUE(StandsUpright(m_loader.Load(WriteJpeg(*stored, {damage.block}), 0, 0))) << damage.what;
  }
  // The same picture with the block intact is turned: the cases above would show a turn.
  const auto turned = m_loader.Load(WriteJpeg(*stored, {good}), 0, 0);
  ASSERT_NE(turned, nullptr);
  EXPECT_EQ(turned->m_width, kHeight);
}

}  // namespace
}  // namespace glintora
