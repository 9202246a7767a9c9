#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "core/base/file_io.h"
#include "core/loaders/image_loader.h"
#include "core/show/media_list.h"
#include "allocation_watch.h"
#include "fixtures.h"
#include "format_fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::BmpRecipe;
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
  auto image = loader.Load(jpegNamedBmp);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Jpeg);

  BmpRecipe recipe{2, 2, 24};
  recipe.rows = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFFFF}};
  const std::string bmpNamedJpg = folder.Path("picture.jpg");
  WriteBytes(bmpNamedJpg, EncodeBmp(recipe));
  auto bitmap = loader.Load(bmpNamedJpg);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->m_format, Bmp);

  const std::string nothing = folder.Path("nothing.jpg");
  WriteBytes(nothing, {0xFF, 0xD8, 0x00, 0x00, 'B', 'M'});
  EXPECT_EQ(loader.Load(nothing), nullptr);
  EXPECT_EQ(loader.Load(folder.Path("missing.jpg")), nullptr);
}

TEST(ImageLoader, AFailedDecodeIsNotPassedOn) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  std::vector<uint8_t> bytes = SmallJpeg();
  bytes.resize(40);
  const std::string path = folder.Path("broken.jpg");
  WriteBytes(path, bytes);
  EXPECT_EQ(loader.Load(path), nullptr);
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
  auto image = loader.Load(nef);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Jpeg);
}

// A small GIF, PSD and PNM picture of the same three colours under misleading names.
struct FormatFile {
  std::string name;
  std::vector<uint8_t> bytes;
  int32_t format;
};
std::vector<FormatFile> FormatFiles() {
  testing::GifRecipe gif{3, 1, {0xFF0000, 0x00FF00, 0x0000FF}};
  gif.frames.push_back({0, 0, 3, 1});
  gif.frames[0].indices = {0, 1, 2};
  testing::PsdRecipe psd{3, 1, 3, 8, 3, 1, 1};
  psd.planes = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  return {{"gif-named.png", testing::EncodeGif(gif), Gif},
          {"psd-named.jpg", testing::EncodePsd(psd), Psd},
          {"pnm-named.bmp", testing::PnmFile("P6 3 1 255\n", {255, 0, 0, 0, 255, 0, 0, 0, 255}, false), Pnm}};
}

TEST(ImageLoader, PicksTheGifPnmAndPsdLoadersForTheirFiles) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  for (const FormatFile& file : FormatFiles()) {
    const std::string path = folder.Path(file.name);
    WriteBytes(path, file.bytes);
    auto image = loader.Load(path);
    ASSERT_NE(image, nullptr) << file.name;
    EXPECT_EQ(image->m_format, file.format) << file.name;
    ASSERT_EQ(image->GetType(), Color8) << file.name;
    const auto& colour = static_cast<const CvxImageColor8&>(*image);
    EXPECT_EQ(colour.At(0, 0).Red(), 255) << file.name;
    EXPECT_EQ(colour.At(1, 0).Green(), 255) << file.name;
    EXPECT_EQ(colour.At(2, 0).Blue(), 255) << file.name;
    EXPECT_EQ(colour.At(2, 0).Red(), 0) << file.name;
  }
}

TEST(ImageLoader, TheShowSkipsPsdAndPnmFilesThatTheLoadersStillDecode) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  const std::vector<FormatFile> files = FormatFiles();
  const std::pair<const char*, size_t> named[] = {{"a.psd", 1}, {"b.pnm", 2}, {"c.ppm", 2}, {"d.PGM", 2}, {"e.gif", 0}};
  for (const auto& [name, index] : named) {
    const std::string path = folder.Path(name);
    WriteBytes(path, files[index].bytes);
    EXPECT_NE(loader.Load(path), nullptr) << name;
    EXPECT_EQ(MediaList::IsPicture(path), files[index].format == Gif) << name;
  }
}

// Where the pixel data of each format begins, so that a file can be cut to its headers.
size_t U32At(const std::vector<uint8_t>& bytes, size_t at, bool bigEndian) {
  return bigEndian ? size_t{bytes[at]} << 24 | size_t{bytes[at + 1]} << 16 | size_t{bytes[at + 2]} << 8 | bytes[at + 3]
                   : size_t{bytes[at + 3]} << 24 | size_t{bytes[at + 2]} << 16 | size_t{bytes[at + 1]} << 8 | bytes[at];
}
size_t JpegScanStart(const std::vector<uint8_t>& jpeg) {
  for (size_t at = 2; at + 4 <= jpeg.size();) {  // marker segments: FF code, 16-bit length
    const size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
    if (jpeg[at + 1] == 0xDA) return at + 2 + length;
    at += 2 + length;
  }
  return jpeg.size();
}
size_t PngFirstDataChunk(const std::vector<uint8_t>& png) {
  for (size_t at = 8; at + 8 <= png.size(); at += 12 + U32At(png, at, true)) {
    if (std::equal(png.begin() + static_cast<std::ptrdiff_t>(at + 4), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                   "IDAT")) {
      return at;
    }
  }
  return png.size();
}
size_t GifFrameData(const std::vector<uint8_t>& gif) {
  size_t at = 13 + ((gif[10] & 0x80) ? 3u << ((gif[10] & 7) + 1) : 0);
  while (at < gif.size() && gif[at] == 0x21) {  // extensions: label, then sub-blocks up to an empty one
    at += 2;
    while (at < gif.size() && gif[at] != 0) at += 1 + gif[at];
    ++at;
  }
  // The frame's descriptor, its colour table and the code size byte.
  const uint8_t packed = gif[at + 9];
  return at + 10 + ((packed & 0x80) ? 3u << ((packed & 7) + 1) : 0) + 1;
}

// A file whose headers promise a picture but hold no pixel data at all is no picture, even
// where a file cut short in its pixels shows the rows it has.
TEST(ImageLoader, AHeaderWithNoDataBehindItIsNoPicture) {
  TempFolder folder;
  CvxImageColor8 colours(16, 16, true);
  colours.FillRect(0, 0, 16, 16, CvxColor8(10, 200, 30));
  ASSERT_TRUE(testing::WritePng(colours, folder.Path("whole.png")));
  const std::vector<uint8_t> png = testing::ReadBytes(folder.Path("whole.png"));
  BmpRecipe bmpRecipe{3, 2, 24};
  bmpRecipe.rows = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x808080, 0x000001}};
  const std::vector<uint8_t> bmp = EncodeBmp(bmpRecipe);
  std::vector<uint8_t> bmpPastTheEnd = bmp;
  bmpPastTheEnd[10] = static_cast<uint8_t>(bmp.size() + 100);
  const std::vector<uint8_t> jpeg = SmallJpeg();
  std::vector<uint8_t> jpegEndAfterScanHeader(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(JpegScanStart(jpeg)));
  jpegEndAfterScanHeader.insert(jpegEndAfterScanHeader.end(), {0xFF, 0xD9});
  const std::vector<FormatFile> formats = FormatFiles();
  const std::vector<uint8_t>& gif = formats[0].bytes;
  testing::PsdRecipe psd{3, 1, 3, 8, 3, 1, 0};
  const std::vector<uint8_t> pnm = testing::PnmFile("P6 3 1 255\n", {}, false);

  struct Case {
    const char* name;
    std::vector<uint8_t> whole;  // loads
    std::vector<uint8_t> empty;  // the same headers without pixel data
  };
  auto cut = [](const std::vector<uint8_t>& bytes, size_t length) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  };
  const Case cases[] = {
      {"bmp.bmp", bmp, cut(bmp, U32At(bmp, 10, false))},
      {"offset-past-the-end.bmp", bmp, bmpPastTheEnd},
      {"jpeg.jpg", jpeg, cut(jpeg, JpegScanStart(jpeg))},
      {"jpeg-with-end-marker.jpg", jpeg, jpegEndAfterScanHeader},
      {"png.png", png, cut(png, PngFirstDataChunk(png))},
      {"gif.gif", gif, cut(gif, GifFrameData(gif))},
      {"psd.psd", formats[1].bytes, testing::EncodePsdStart(psd)},
      {"pnm.ppm", formats[2].bytes, pnm},
  };
  CvxImageLoader loader(CvxColor8{});
  for (const Case& c : cases) {
    const std::string path = folder.Path(c.name);
    WriteBytes(path, c.whole);
    ASSERT_NE(loader.Load(path), nullptr) << c.name << " whole";
    WriteBytes(path, c.empty);
    EXPECT_EQ(loader.Load(path), nullptr) << c.name << " without data";
  }
}

// Headers that claim a large picture with only a few bytes behind them are refused before the
// picture is allocated: a file cut short would otherwise cost the whole picture's memory.
TEST(ImageLoader, PnmAndPsdRefuseMissingDataBeforeAllocating) {
  if (!testing::AllocationWatch::Available()) GTEST_SKIP() << "allocations are watched on the native build";
  TempFolder folder;
  testing::PsdRecipe psdRaw{6000, 5000, 3, 8, 3, 1, 0};
  testing::PsdRecipe psdRunLength = psdRaw;
  psdRunLength.compression = 1;
  std::vector<uint8_t> psdWithRows = testing::EncodePsdStart(psdRunLength);
  psdWithRows.resize(psdWithRows.size() + 5000 * 3 * 2, 0);  // the row table, but no rows
  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"grey.pgm", testing::PnmFile("P5 6000 5000 255\n", {1, 2, 3}, false)},
      {"colour.ppm", testing::PnmFile("P6 6000 5000 65535\n", {1, 2, 3}, true)},
      {"raw.psd", testing::EncodePsdStart(psdRaw)},
      {"rows.psd", psdWithRows},
  };
  CvxImageLoader loader(CvxColor8{});
  for (const auto& [name, bytes] : files) {
    const std::string path = folder.Path(name);
    WriteBytes(path, bytes);
    const testing::AllocationWatch watch;
    EXPECT_EQ(loader.Load(path), nullptr) << name;
    EXPECT_LT(watch.Largest(), size_t{1} << 20) << name;
  }
}

int CountTemporaryFiles() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
    if (entry.path().filename().string().rfind("vx", 0) == 0) ++count;
  }
  return count;
}

TEST(ImageLoader, PictureBytesAreDecodedWithoutAnyFile) {
  CvxImageLoader loader(CvxColor8{});
  const int before = CountTemporaryFiles();
  const int64_t opens = FileOpenCount();
  const std::vector<uint8_t> jpeg = SmallJpeg();
  auto image = loader.LoadFromMemory(jpeg.data(), jpeg.size());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_width, 16);
  EXPECT_EQ(loader.LoadFromMemory(nullptr, 0), nullptr);
  const uint8_t junk[] = {1, 2, 3};
  EXPECT_EQ(loader.LoadFromMemory(junk, sizeof junk), nullptr);
  EXPECT_EQ(CountTemporaryFiles(), before);
  EXPECT_EQ(FileOpenCount(), opens);
}

// Every format through the front door: a file is opened at most twice to be shown (once
// to recognise it, once to decode it; today once for both), whichever way it is loaded,
// and the same bytes in memory decode to the same pixels.
TEST(ImageLoader, OpensAFileAtMostTwiceAndDecodesItsBytesAlike) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8(40, 50, 60));
  auto picture = NewImage<CvxColor8>(32, 24, false);
  testing::FillPattern(*picture, 7);
  testing::BmpRecipe bmp{32, 24, 24};
  for (int y = 0; y < picture->m_height; ++y) {
    bmp.rows.emplace_back();
    for (int x = 0; x < picture->m_width; ++x) {
      const CvxColor8& c = picture->At(x, y);
      bmp.rows.back().push_back(uint32_t{c.Red()} << 16 | uint32_t{c.Green()} << 8 | c.Blue());
    }
  }
  testing::DngRecipe camera;
  camera.make = "Canon";
  camera.model = "EOS-1D";
  camera.thumbnailWidth = 8;
  camera.thumbnailHeight = 6;
  struct Case {
    const char* name;
    std::function<void(const std::string&)> write;
    bool fromMemory;  // camera RAW files are told by their names, which bytes lack
  };
  const Case cases[] = {
      {"a.jpg", [&](const std::string& path) { WriteBytes(path, EncodeJpeg(*picture)); }, true},
      {"b.png", [&](const std::string& path) { testing::WritePng(*picture, path); }, true},
      {"c.tif", [&](const std::string& path) { testing::WriteTiff(*picture, path); }, true},
      {"d.tif", [&](const std::string& path) { testing::WriteOrientedTiff(*picture, path, 6); }, true},
      {"e.bmp", [&](const std::string& path) { WriteBytes(path, EncodeBmp(bmp)); }, true},
      {"f.nef", [&](const std::string& path) { testing::WriteDng(*picture, path); }, false},
      {"g.tif", [&](const std::string& path) { testing::WriteDng(*picture, path, camera); }, false},
  };
  std::vector<FormatFile> others = FormatFiles();
  for (const Case& c : cases) {
    const std::string path = folder.Path(c.name);
    c.write(path);
    int64_t opens = FileOpenCount();
    auto image = loader.Load(path);
    EXPECT_LE(FileOpenCount() - opens, 2) << c.name;
    ASSERT_NE(image, nullptr) << c.name;
    opens = FileOpenCount();
    ImageSize stored;
    EXPECT_NE(loader.LoadToCover(path, [](ImageSize size) { return size; }, stored), nullptr) << c.name;
    EXPECT_LE(FileOpenCount() - opens, 2) << c.name << " to cover";
    if (c.fromMemory) {
      const std::vector<uint8_t> bytes = testing::ReadBytes(path);
      auto fromMemory = loader.LoadFromMemory(bytes.data(), bytes.size());
      ASSERT_NE(fromMemory, nullptr) << c.name;
      EXPECT_TRUE(testing::SamePixels(*fromMemory, *image)) << c.name;
    }
  }
  for (const FormatFile& file : others) {
    const std::string path = folder.Path(file.name);
    WriteBytes(path, file.bytes);
    const int64_t opens = FileOpenCount();
    auto image = loader.Load(path);
    EXPECT_LE(FileOpenCount() - opens, 2) << file.name;
    ASSERT_NE(image, nullptr) << file.name;
    auto fromMemory = loader.LoadFromMemory(file.bytes.data(), file.bytes.size());
    ASSERT_NE(fromMemory, nullptr) << file.name;
    EXPECT_TRUE(testing::SamePixels(*fromMemory, *image)) << file.name;
  }
}

}  // namespace
}  // namespace glintora
