// Pictures taken with the camera turned come out of the loader front door upright, JPEG
// (Exif) and TIFF alike; a damaged Exif block leaves the picture as stored. The Exif reading
// and the standing upright at their limits, each on its own.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <utility>

#include "allocation_watch.h"
#include "core/image/orientation.h"
#include "core/loaders/exif_orientation.h"
#include "core/loaders/image_loader.h"
#include "core/loaders/jpeg_loader.h"
#include "fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::ExifBlock;
using testing::ExifOrientationBlock;

// Upright, the picture is 48 × 32 with a red square in its top-left corner; sides and square
// are whole 16-pixel blocks, so that JPEG keeps the colours up to their edges.
constexpr int kWidth = 48, kHeight = 32, kMarker = 16;
const CvxColor8 kRed(20, 20, 220), kBlue(180, 90, 30);

// Where each code stores the scene's top-left corner (1: the far side), read from the tag's
// definition: which sides of the scene the stored first row and column show. Codes 5 to 8
// store the picture with its sides swapped.
struct Taken {
  int code, markerRight, markerBottom;
};
constexpr Taken kTaken[] = {{1, 0, 0}, {2, 1, 0}, {3, 1, 1}, {4, 0, 1}, {5, 0, 0}, {6, 0, 1}, {7, 1, 1}, {8, 1, 0}};

std::unique_ptr<CvxImageColor8> Stored(const Taken& taken) {
  const bool swapped = taken.code >= 5;
  const int width = swapped ? kHeight : kWidth, height = swapped ? kWidth : kHeight;
  auto picture = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool markerColumn = taken.markerRight ? x >= width - kMarker : x < kMarker;
      const bool markerRow = taken.markerBottom ? y >= height - kMarker : y < kMarker;
      picture->At(x, y) = markerColumn && markerRow ? kRed : kBlue;
    }
  }
  return picture;
}

bool Near(const CvxColor8& a, const CvxColor8& b) {
  return std::abs(a.c[0] - b.c[0]) < 40 && std::abs(a.c[1] - b.c[1]) < 40 && std::abs(a.c[2] - b.c[2]) < 40;
}

::testing::AssertionResult Upright(const std::unique_ptr<CvxImage>& image) {
  const auto* colour = As<CvxColor8>(image.get());
  if (!colour || colour->m_width != kWidth || colour->m_height != kHeight) {
    return ::testing::AssertionFailure() << "not a 48 x 32 colour picture";
  }
  const int near = 4, far = kWidth - 5, bottom = kHeight - 5;
  if (Near(colour->At(near, near), kRed) && Near(colour->At(far, near), kBlue) &&
      Near(colour->At(far, bottom), kBlue) && Near(colour->At(near, bottom), kBlue)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "the red square is not (only) in the top-left corner";
}

class OrientationTest : public ::testing::Test {
 protected:
  std::unique_ptr<CvxImage> Jpeg(const CvxImageColor8& picture, std::vector<std::vector<uint8_t>> app1) {
    const std::string path = m_folder.Path(std::to_string(++m_count) + ".jpg");
    testing::WriteBytes(path, testing::EncodeJpeg(picture, {.app1 = std::move(app1)}));
    return m_loader.Load(path);
  }
  std::unique_ptr<CvxImage> Tiff(const CvxImageColor8& picture, int code) {
    const std::string path = m_folder.Path(std::to_string(++m_count) + ".tif");
    testing::WriteOrientedTiff(picture, path, code);
    return m_loader.Load(path);
  }

  testing::TempFolder m_folder;
  CvxImageLoader m_loader{CvxColor8{}};
  int m_count = 0;
};

TEST_F(OrientationTest, EveryCodeStandsUprightInJpegAndTiff) {
  for (const Taken& taken : kTaken) {
    SCOPED_TRACE(taken.code);
    const auto stored = Stored(taken);
    // Both byte orders of the Exif block, taking turns.
    EXPECT_TRUE(Upright(Jpeg(*stored, {ExifOrientationBlock(taken.code, taken.code % 2 == 0)})));
    EXPECT_TRUE(Upright(Tiff(*stored, taken.code)));
  }
  // Another application segment before the Exif block does not hide it.
  EXPECT_TRUE(Upright(Jpeg(*Stored(kTaken[5]), {{'h', 't', 't', 'p', 0, '<', '/', '>'}, ExifOrientationBlock(6)})));
  // Switched off, pictures come as stored.
  m_loader.SetAutoRotate(false);
  EXPECT_EQ(Jpeg(*Stored(kTaken[5]), {ExifOrientationBlock(6)})->m_width, kHeight);
  EXPECT_EQ(Tiff(*Stored(kTaken[5]), 6)->m_width, kHeight);
}

std::vector<uint8_t> Patched(std::vector<uint8_t> block, size_t at, std::vector<uint8_t> bytes) {
  block.resize(std::max(block.size(), at + bytes.size()));
  std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
  return block;
}

TEST_F(OrientationTest, DamagedExifLeavesThePictureAsStored) {
  // Block offsets of ExifOrientationBlock(6), 44 bytes: the TIFF structure from 6 (its offsets
  // count from there), 42 at 8, the first directory's offset at 10 (8: the directory stands at
  // 14), entry count at 14, the orientation entry at 28 (type 30, count 32, value 36).
  const std::vector<uint8_t> good = ExifOrientationBlock(6);
  // A first directory without the tag whose next one, with the tag, leads back to it.
  const std::vector<uint8_t> loop =
      Patched(ExifBlock({{271, 2, 1, 0}}, false, 26), 32, {1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 8, 0, 0, 0});
  const struct {
    const char* what;
    std::vector<uint8_t> block;
  } damages[] = {
      {"directory past the end", Patched(good, 10, {0, 0x10, 0, 0})},
      {"directory at 4 GB", Patched(good, 10, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"directory inside the header", Patched(good, 10, {2, 0, 0, 0})},
      {"more entries than the block holds", Patched(good, 14, {0xFF, 0xFF})},
      {"cut inside the orientation entry", std::vector<uint8_t>(good.begin(), good.begin() + 34)},
      {"cut inside the header", std::vector<uint8_t>(good.begin(), good.begin() + 11)},
      {"unknown byte order", Patched(good, 6, {'I', 'M'})},
      {"not 42", Patched(good, 8, {43})},
      {"orientation 0", Patched(good, 36, {0})},
      {"orientation 9", Patched(good, 36, {9})},
      {"orientation as a long", Patched(good, 30, {testing::kTiffLong})},
      {"two orientations", Patched(good, 32, {2})},
      {"a loop of directories", loop},
      {"not Exif", Patched(good, 3, {'F'})},
  };
  const auto asStored = Stored(kTaken[0]);
  for (const auto& damage : damages) EXPECT_TRUE(Upright(Jpeg(*asStored, {damage.block}))) << damage.what;
  EXPECT_EQ(Jpeg(*asStored, {good})->m_width, kHeight) << "intact, the block turns this picture";
}

// The walk through a JPEG file to its Exif block: fill bytes before a marker up to their
// limit, stand-alone markers and empty segments on the way, and a limit on the segments.
TEST_F(OrientationTest, TheWalkToTheExifBlockGoesUpToItsLimits) {
  using Bytes = std::vector<uint8_t>;
  const auto segment = [](uint8_t marker, const Bytes& payload) {
    const size_t length = payload.size() + 2;
    Bytes bytes = {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
  };
  const auto times = [](const Bytes& bytes, int count) {
    Bytes out;
    for (int i = 0; i < count; ++i) out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
  };
  const Bytes exif = segment(0xE1, ExifOrientationBlock(6));
  const Bytes empty = segment(0xE0, {});
  const struct {
    const char* what;
    Bytes before;
    int code;
  } cases[] = {
      {"nothing", {}, 6},
      {"64 fill bytes before its marker", Bytes(64, 0xFF), 6},
      {"65 fill bytes", Bytes(65, 0xFF), kOrientationUpright},
      {"an empty segment", empty, 6},
      {"stand-alone markers", {0xFF, 0xD0, 0xFF, 0xD7, 0xFF, 0x01}, 6},
      {"63 segments: the block is the 64th", times(empty, 63), 6},
      {"64 segments", times(empty, 64), kOrientationUpright},
  };
  for (const auto& c : cases) {
    Bytes file = {0xFF, 0xD8};
    file.insert(file.end(), c.before.begin(), c.before.end());
    file.insert(file.end(), exif.begin(), exif.end());
    file.insert(file.end(), {0xFF, 0xD9});
    const std::string path = m_folder.Path(std::to_string(++m_count) + ".jpg");
    testing::WriteBytes(path, file);
    EXPECT_EQ(CvxLoaderJPEG().Orientation(path), c.code) << "the Exif block after " << c.what;
  }
}

// The TIFF structure of ExifOrientationBlock(6) without its Exif header: the orientation's
// value at 30, and after the directory the next one's offset, which is not needed.
TEST(TiffStructureOrientation, AWholeDirectoryAndOnlyTheTagsCodes) {
  const std::vector<uint8_t> block = ExifOrientationBlock(6);
  const std::vector<uint8_t> tiff(block.begin() + 6, block.end());
  const std::vector<uint8_t> noNext(tiff.begin(), tiff.end() - 4);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    int code;
  } cases[] = {
      {"entries ending exactly at the end", noNext, 6},
      {"a byte short of them", {noNext.begin(), noNext.end() - 1}, kOrientationUpright},
      {"code 8", Patched(tiff, 30, {8}), 8},
      {"code 0", Patched(tiff, 30, {0}), kOrientationUpright},
      {"code 9", Patched(tiff, 30, {9}), kOrientationUpright},
  };
  for (const auto& c : cases) EXPECT_EQ(TiffStructureOrientation(c.bytes.data(), c.bytes.size()), c.code) << c.what;
}

// Code 1 and codes outside the tag's range give back the very picture they were given.
TEST(StandUpright, CodesOutsideTheTagGiveThePictureBackUntouched) {
  for (const int code : {1, 0, 9, -1, 1000, INT_MIN, INT_MAX}) {
    std::unique_ptr<CvxImage> picture = Stored(kTaken[5]);
    const CvxImage* given = picture.get();
    const auto copy = picture->Clone();
    const std::unique_ptr<CvxImage> result = StandUpright(std::move(picture), code);
    ASSERT_EQ(result.get(), given) << code;
    EXPECT_TRUE(testing::SamePixels(*result, *copy)) << code;
  }
}

// Without memory for a turned copy the picture comes back as stored rather than not at all,
// also when a code of two steps gets its first copy and not its second.
TEST(StandUpright, WithoutMemoryForACopyThePictureComesBackAsStored) {
  if (!testing::AllocationWatch::Available()) GTEST_SKIP() << "allocations are refused on the native build";
  size_t perCopy = 0;  // the requests one turned copy makes
  {
    std::unique_ptr<CvxImage> picture = Stored(kTaken[5]);
    const testing::AllocationWatch watch;
    ASSERT_NE(StandUpright(std::move(picture), 6), nullptr);
    perCopy = watch.Count();
  }
  ASSERT_GT(perCopy, 0u);
  const struct {
    int code;
    size_t granted;
  } cases[] = {{6, 0}, {5, 0}, {5, perCopy}, {7, perCopy}};
  for (const auto& c : cases) {
    std::unique_ptr<CvxImage> picture = Stored(kTaken[c.code - 1]);
    const CvxImage* given = picture.get();
    std::unique_ptr<CvxImage> result;
    {
      testing::AllocationWatch watch;
      watch.RefuseAfter(c.granted);
      result = StandUpright(std::move(picture), c.code);
    }
    EXPECT_EQ(result.get(), given) << "code " << c.code << " after " << c.granted << " requests";
  }
}

}  // namespace
}  // namespace glintora
