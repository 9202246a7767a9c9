#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "core/loaders/image_loader.h"
#include "core/loaders/raw_loader.h"
#include "core/show/media_list.h"
#include "fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::DngSpec;
using testing::EncodeJpeg;
using testing::TempFolder;
using testing::WriteBytes;
using testing::WriteDng;

const CvxColor8 kRed(20, 30, 200);
const CvxColor8 kGreen(30, 180, 40);
const CvxColor8 kBlue(200, 40, 20);
const CvxColor8 kGrey(120, 120, 120);

// Four flat quarters: red top left, green top right, blue bottom left, grey bottom right.
std::unique_ptr<CvxImageColor8> Quarters(int width, int height) {
  auto picture = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      picture->At(x, y) = y < height / 2 ? (right ? kGreen : kRed) : (right ? kGrey : kBlue);
    }
  }
  return picture;
}

std::string WriteQuarters(const TempFolder& folder, const std::string& name, int width, int height,
                          const DngSpec& spec = {}) {
  const std::string path = folder.Path(name);
  EXPECT_TRUE(WriteDng(*Quarters(width, height), path, spec));
  return path;
}

// The colour at the centre of a quarter (column 0 or 1, row 0 or 1) of a picture.
template <typename P>
P QuarterCentre(const CvxImage& image, int column, int row) {
  const auto& typed = static_cast<const CvxImageT<P>&>(image);
  return typed.At(image.m_width * (2 * column + 1) / 4, image.m_height * (2 * row + 1) / 4);
}

::testing::AssertionResult Dominant(const CvxColor8& pixel, int channel) {
  for (int other = 0; other < 3; ++other) {
    if (other != channel && 2 * pixel.c[channel] < 3 * pixel.c[other]) {
      return ::testing::AssertionFailure() << "bgr " << int{pixel.c[0]} << "," << int{pixel.c[1]} << ","
                                           << int{pixel.c[2]} << ": channel " << channel << " does not dominate";
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Neutral(const CvxColor8& pixel) {
  const int spread = std::max({pixel.c[0], pixel.c[1], pixel.c[2]}) - std::min({pixel.c[0], pixel.c[1], pixel.c[2]});
  if (spread > 8 || pixel.c[1] < 40) {
    return ::testing::AssertionFailure() << "bgr " << int{pixel.c[0]} << "," << int{pixel.c[1]} << ","
                                         << int{pixel.c[2]} << " is no mid grey";
  }
  return ::testing::AssertionSuccess();
}

// Red top left, green top right, blue bottom left, grey bottom right; quarters listed in
// the decoded picture's own positions.
void ExpectQuarters(const CvxImage& image, const CvxColor8& topLeft, const CvxColor8& topRight,
                    const CvxColor8& bottomLeft, const CvxColor8& bottomRight) {
  const CvxColor8 expected[2][2] = {{topLeft, topRight}, {bottomLeft, bottomRight}};
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      const CvxColor8 want = expected[row][column];
      const CvxColor8 got = QuarterCentre<CvxColor8>(image, column, row);
      SCOPED_TRACE("quarter " + std::to_string(column) + "," + std::to_string(row));
      if (want.c[0] == want.c[1] && want.c[1] == want.c[2]) {
        EXPECT_TRUE(Neutral(got));
      } else {
        const int channel = want.c[0] > want.c[1] ? (want.c[0] > want.c[2] ? 0 : 2) : (want.c[1] > want.c[2] ? 1 : 2);
        EXPECT_TRUE(Dominant(got, channel));
      }
    }
  }
}

TEST(RawLoader, DecodesACameraFileToAnUprightColourPicture) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "camera.nef", 96, 64);
  CvxLoaderRAW loader;
  EXPECT_TRUE(loader.CanLoad(path));
  std::string maker, model;
  ASSERT_TRUE(loader.Identify(path, maker, model));
  EXPECT_EQ(maker, "Glintora");
  EXPECT_EQ(model, "Synthetic CFA");

  const CvxImageHeader info = loader.GetInfo(path);
  EXPECT_EQ(info.m_width, 96);
  EXPECT_EQ(info.m_height, 64);
  EXPECT_EQ(info.m_format, Raw);
  EXPECT_EQ(info.m_type, Color8);

  auto image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetType(), Color8);
  EXPECT_EQ(image->m_format, Raw);
  EXPECT_EQ(image->m_width, 96);
  EXPECT_EQ(image->m_height, 64);
  ExpectQuarters(*image, kRed, kGreen, kBlue, kGrey);
  // The same loader decodes again: nothing of the first file is left behind.
  auto again = loader.Load(path, 0, 0);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(testing::SamePixels(*image, *again));
}

TEST(RawLoader, SixteenBitOutputKeepsTheLinearSensorValues) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "camera.crw", 64, 48);
  CvxRawParams params;
  params.m_outputDepth = 1;
  CvxLoaderRAW loader(&params);
  EXPECT_EQ(loader.GetInfo(path).m_type, Color16);
  auto image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->GetType(), Color16);
  EXPECT_EQ(image->m_format, Raw);
  // A neutral white balance and an sRGB camera: each flat quarter comes back as written, up
  // to one common scale (the decoder may take the brightest sample as its white level).
  const CvxColor8 written[2][2] = {{kRed, kGreen}, {kBlue, kGrey}};
  const double scale = QuarterCentre<CvxColor16>(*image, 1, 1).c[1] / (kGrey.c[1] * 257.0);
  EXPECT_GE(scale, 1.0);
  EXPECT_LE(scale, 65535.0 / (200 * 257));
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      const CvxColor16 got = QuarterCentre<CvxColor16>(*image, column, row);
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(got.c[c], written[row][column].c[c] * 257 * scale, 300)
            << "quarter " << column << "," << row << " channel " << c;
      }
    }
  }
}

TEST(RawLoader, AnUnknownOutputDepthGivesNothingAndRestoresTheDefaults) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "camera.orf", 32, 32);
  CvxRawParams params;
  params.m_outputDepth = 2;
  params.m_brightness = 3.0f;
  params.m_cameraWhiteBalance = 0;
  CvxLoaderRAW loader(&params);
  EXPECT_EQ(loader.Load(path, 0, 0), nullptr);
  EXPECT_EQ(loader.m_outputDepth, 0);
  EXPECT_EQ(loader.m_brightness, 1.0f);
  EXPECT_EQ(loader.m_cameraWhiteBalance, 1);
  EXPECT_EQ(loader.m_autoWhiteBalance, 0);
  // With its defaults back, the same loader decodes.
  EXPECT_NE(loader.Load(path, 0, 0), nullptr);
}

TEST(RawLoader, FilesThatAreNoCameraFilesAreNotRecognised) {
  TempFolder folder;
  CvxImageColor8 picture(8, 8, true);
  const std::string jpeg = folder.Path("photo.nef");
  WriteBytes(jpeg, EncodeJpeg(picture));
  const std::string tiff = folder.Path("plain.tif");
  ASSERT_TRUE(testing::WriteTiff(picture, tiff));
  const std::string junk = folder.Path("junk.cr2");
  WriteBytes(junk, std::vector<uint8_t>(300, 0x49));
  const std::string empty = folder.Path("empty.raf");
  WriteBytes(empty, {});

  CvxLoaderRAW loader;
  for (const std::string& path : {jpeg, tiff, junk, empty, folder.Path("missing.nef")}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(loader.CanLoad(path));
    const CvxImageHeader info = loader.GetInfo(path);
    EXPECT_EQ(info.m_width, 0);
    EXPECT_EQ(info.m_height, 0);
    EXPECT_EQ(info.m_format, 0);
    EXPECT_EQ(info.m_type, 0);
    EXPECT_EQ(loader.Load(path, 0, 0), nullptr);
  }
}

TEST(RawLoader, HalfSizeHalvesBothSidesRoundingUp) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "odd.dcr", 65, 49);
  CvxLoaderRAW loader;
  auto half = loader.Load(path, 0, 1);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->m_width, 33);
  EXPECT_EQ(half->m_height, 25);
  ExpectQuarters(*half, kRed, kGreen, kBlue, kGrey);
  // The description is always of the full size; the first hint is not a half-size request.
  EXPECT_EQ(loader.GetInfo(path).m_width, 65);
  auto full = loader.Load(path, 1, 0);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(full->m_width, 65);
  EXPECT_EQ(full->m_height, 49);
}

TEST(RawLoader, TheCamerasOrientationAndPixelShapeAreApplied) {
  TempFolder folder;
  CvxLoaderRAW loader;
  DngSpec turned;
  turned.orientation = 6;  // shown after a quarter turn clockwise
  const std::string portrait = WriteQuarters(folder, "portrait.nef", 64, 48, turned);
  auto image = loader.Load(portrait, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_width, 48);
  EXPECT_EQ(image->m_height, 64);
  // Turned clockwise, the left quarters (red over blue) come to the top (blue, red).
  ExpectQuarters(*image, kBlue, kRed, kGrey, kGreen);
  const CvxImageHeader info = loader.GetInfo(portrait);
  EXPECT_EQ(info.m_width, 48);
  EXPECT_EQ(info.m_height, 64);

  DngSpec wide;
  wide.pixelAspect = 2;
  const std::string stretched = WriteQuarters(folder, "wide.nef", 40, 30, wide);
  image = loader.Load(stretched, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_width, 80);
  EXPECT_EQ(image->m_height, 30);
  EXPECT_EQ(loader.GetInfo(stretched).m_width, 80);
  ExpectQuarters(*image, kRed, kGreen, kBlue, kGrey);
}

// A progress routine that counts its calls and says stop at call `stopAt` (0: never).
struct ProgressScript {
  int calls = 0;
  int stopAt = 0;
  CvxLoader* stopLoader = nullptr;      // when set, its stop flag is raised instead
  CvxImageLoader* stopFrontDoor = nullptr;
  static bool Step(void* context) {
    auto* script = static_cast<ProgressScript*>(context);
    ++script->calls;
    if (script->calls != script->stopAt) return true;
    if (script->stopLoader) {
      script->stopLoader->m_stop = true;
      return true;
    }
    if (script->stopFrontDoor) {
      script->stopFrontDoor->Stop();
      return true;
    }
    return false;
  }
};

TEST(RawLoader, TheProgressRoutineIsAskedAtEveryStepAndRowAndCanAbandon) {
  TempFolder folder;
  const int height = 24;
  const std::string path = WriteQuarters(folder, "steps.nef", 32, height);
  auto run = [&](int stopAt) {
    ProgressScript script;
    script.stopAt = stopAt;
    CvxRawParams params;
    params.m_progress = &ProgressScript::Step;
    params.m_progressContext = &script;
    CvxLoaderRAW loader(&params);
    const bool decoded = loader.Load(path, 0, 0) != nullptr;
    return std::pair{decoded, script.calls};
  };
  // After identification, after loading, after processing, after the RGB conversion, then
  // after every row.
  EXPECT_EQ(run(0), (std::pair{true, 4 + height}));
  // Stop at the first call: nothing is decoded and nothing more is asked.
  EXPECT_EQ(run(1), (std::pair{false, 1}));
  EXPECT_EQ(run(3), (std::pair{false, 3}));
  EXPECT_EQ(run(4 + 10), (std::pair{false, 4 + 10}));
  EXPECT_EQ(run(4 + height), (std::pair{false, 4 + height}));
}

TEST(RawLoader, TheStopFlagAbandonsTheDecode) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "stop.nef", 32, 24);
  for (int stopAt : {1, 2, 3, 4, 9}) {
    ProgressScript script;
    script.stopAt = stopAt;
    CvxRawParams params;
    params.m_progress = &ProgressScript::Step;
    params.m_progressContext = &script;
    CvxLoaderRAW loader(&params);
    script.stopLoader = &loader;
    EXPECT_EQ(loader.Load(path, 0, 0), nullptr) << "stopped at call " << stopAt;
    EXPECT_EQ(script.calls, stopAt) << "nothing asked after the stop";
  }
}

// A file that claims far more pixels than any working image may have.
TEST(RawLoader, AnOversizedSensorGivesNothing) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "huge.nef", 16, 16);
  std::vector<uint8_t> bytes = testing::ReadBytes(path);
  ASSERT_GE(bytes.size(), 8u);
  ASSERT_EQ(bytes[0], 'I');
  // Patch the width and height entries of the first directory to 50000.
  const uint32_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<uint32_t>(bytes[7]) << 24;
  const int entries = bytes[ifd] | bytes[ifd + 1] << 8;
  int patched = 0;
  for (int n = 0; n < entries; ++n) {
    uint8_t* entry = &bytes[ifd + 2 + 12 * static_cast<size_t>(n)];
    const int tag = entry[0] | entry[1] << 8;
    if (tag == 256 || tag == 257) {
      entry[8] = 50000 & 0xFF;
      entry[9] = 50000 >> 8;
      ++patched;
    }
  }
  ASSERT_EQ(patched, 2);
  WriteBytes(path, bytes);
  CvxLoaderRAW loader;
  if (loader.CanLoad(path)) {
    EXPECT_EQ(loader.GetInfo(path).m_width, 50000);
  }
  EXPECT_EQ(loader.Load(path, 0, 0), nullptr);
}

// --- The diagonal sensor's correction ---

// The upright picture straight from its definition: every source pixel into the buffer,
// then every destination pixel from it; no shortcuts.
template <typename P>
std::unique_ptr<CvxImageT<P>> ReferenceUpright(const CvxImageT<P>& source) {
  const int n = source.m_width;
  const int h = source.m_height;
  auto black = [](const P& p) { return p.c[0] == 0 && p.c[1] == 0 && p.c[2] == 0; };
  int i = 0;
  while (i < n && black(source.At(i, 0))) ++i;
  int j = n - 2;
  while (j > 0 && black(source.At(j, 0))) --j;
  const int e = 2 * n - 2 * i - 4;
  std::vector<P> buffer(static_cast<size_t>(e) * j);
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < n; ++c) {
      const int k = r + c - j + 5;
      const int d = c - r + j - 1;
      if (0 <= k && k < e && 0 <= d && d < 2 * j) buffer[static_cast<size_t>(k) * j + d / 2] = source.At(c, r);
    }
  }
  auto at = [&](int row, int column) { return buffer[static_cast<size_t>(row) * j + column]; };
  auto result = NewImage<P>(2 * j, e, true);
  for (int y = 0; y < e; ++y) {
    for (int x = 0; x < 2 * j; ++x) {
      if ((y + x) % 2 == 0) {
        result->At(x, y) = at(y, x / 2);
      } else if (1 <= y && y <= e - 2 && 1 <= x && x <= 2 * j - 2) {
        for (int ch = 0; ch < 3; ++ch) {
          const int sum = at(y + 1, x / 2).c[ch] + at(y - 1, x / 2).c[ch] + at(y, x / 2 - y % 2).c[ch] +
                          at(y, x / 2 - y % 2 + 1).c[ch];
          result->At(x, y).c[ch] = static_cast<typename PixelTraits<P>::Channel>(sum >> 2);
        }
      }
    }
  }
  return result;
}

// A nearly square picture with black corners on its top row and a pattern elsewhere.
template <typename P>
std::unique_ptr<CvxImageT<P>> DiagonalPicture(int width, int height, int blackLeft, int blackRight, uint32_t seed) {
  auto picture = testing::Pattern<P>(width, height, seed);
  for (int x = 0; x < width; ++x) {
    if (x < blackLeft || x >= width - blackRight) picture->At(x, 0) = P{};
  }
  return picture;
}

TEST(FujiUpright, TurnsTheDiagonalLayoutUprightForBothDepths) {
  struct Case {
    int width, height, blackLeft, blackRight;
  };
  for (const Case& test : {Case{12, 13, 3, 2}, Case{40, 41, 0, 0}, Case{31, 30, 7, 9}, Case{9, 9, 4, 1}}) {
    SCOPED_TRACE(std::to_string(test.width) + "x" + std::to_string(test.height));
    auto colour8 = DiagonalPicture<CvxColor8>(test.width, test.height, test.blackLeft, test.blackRight, 7);
    auto expected8 = ReferenceUpright(*colour8);
    auto upright8 = FujiUpright(colour8->Clone());
    ASSERT_NE(upright8, nullptr);
    EXPECT_TRUE(testing::SamePixels(*upright8, *expected8));

    auto colour16 = DiagonalPicture<CvxColor16>(test.width, test.height, test.blackLeft, test.blackRight, 11);
    auto upright16 = FujiUpright(colour16->Clone());
    ASSERT_NE(upright16, nullptr);
    EXPECT_TRUE(testing::SamePixels(*upright16, *ReferenceUpright(*colour16)));
  }
}

TEST(FujiUpright, ASquareOf2000PixelsBecomesTheUprightPictureOfItsDiagonal) {
  // Top row: 500 black pixels, the picture, then black from column 1500 on.
  auto picture = NewImage<CvxColor8>(2000, 2001, false);
  picture->FillRect(0, 0, 2000, 2001, CvxColor8(60, 120, 180));
  for (int x = 0; x < 2000; ++x) {
    if (x < 500 || x >= 1500) picture->At(x, 0) = CvxColor8();
  }
  auto upright = FujiUpright(std::move(picture));
  ASSERT_NE(upright, nullptr);
  // i = 500 and j = 1499: 2j wide, 2n - 2i - 4 high.
  EXPECT_EQ(upright->m_width, 2 * 1499);
  EXPECT_EQ(upright->m_height, 2 * 2000 - 2 * 500 - 4);
  EXPECT_EQ(upright->GetType(), Color8);
  // Inside, a flat picture stays flat: gathered pixels and the means between them alike.
  const auto& result = static_cast<const CvxImageColor8&>(*upright);
  for (int x : {1200, 1201, 1500, 1777}) {
    for (int y : {1000, 1001, 1500}) {
      const CvxColor8 pixel = result.At(x, y);
      EXPECT_EQ(pixel.Red(), 180) << x << "," << y;
      EXPECT_EQ(pixel.Green(), 120) << x << "," << y;
      EXPECT_EQ(pixel.Blue(), 60) << x << "," << y;
    }
  }
  // The gathered diagonal leaves its corners black.
  EXPECT_EQ(result.At(0, 0).Red(), 0);
}

TEST(FujiUpright, PicturesWithoutADiagonalComeBackAsTheyAre) {
  // A top row that is all black, a single column, a single pixel, a grey picture.
  std::vector<std::unique_ptr<CvxImage>> pictures;
  pictures.push_back(NewImage<CvxColor8>(20, 21, true));
  pictures.push_back(testing::Pattern<CvxColor8>(1, 2, 3));
  pictures.push_back(testing::Pattern<CvxColor16>(1, 1, 3));
  pictures.push_back(testing::Pattern<CvxGray8>(20, 20, 3));
  // Nearly all black: one picture pixel at the left gives i = 19, so e = 40 - 38 - 4 < 0.
  auto leftOnly = NewImage<CvxColor8>(20, 20, true);
  leftOnly->At(19, 0) = CvxColor8(1, 2, 3);
  pictures.push_back(std::move(leftOnly));
  for (auto& picture : pictures) {
    const CvxImage* before = picture.get();
    auto after = FujiUpright(std::move(picture));
    EXPECT_EQ(after.get(), before) << before->m_width << "x" << before->m_height;
  }
  EXPECT_EQ(FujiUpright(nullptr), nullptr);
}

TEST(FujiUpright, AppliesToNearlySquareRafPicturesOnly) {
  EXPECT_TRUE(IsDiagonalLayout("C:\\photos\\DSCF0001.RAF", 2000, 2001));
  EXPECT_TRUE(IsDiagonalLayout("x.raf", 2001, 2000));
  EXPECT_TRUE(IsDiagonalLayout("x.raf", 1500, 1500));
  EXPECT_FALSE(IsDiagonalLayout("x.raf", 2000, 1500));
  EXPECT_FALSE(IsDiagonalLayout("x.raf", 2000, 2002));
  EXPECT_FALSE(IsDiagonalLayout("x.nef", 2000, 2001));
  EXPECT_FALSE(IsDiagonalLayout("raf", 2000, 2001));

  // Through the loader: the same camera picture named ".raf" is turned when nearly square.
  TempFolder folder;
  CvxLoaderRAW loader;
  auto square = loader.Load(WriteQuarters(folder, "square.raf", 40, 41), 0, 0);
  ASSERT_NE(square, nullptr);
  EXPECT_EQ(square->m_format, Raw);
  EXPECT_EQ(square->m_width, 2 * 38);  // a top row without black: j = n - 2
  EXPECT_EQ(square->m_height, 2 * 40 - 4);
  auto named = loader.Load(WriteQuarters(folder, "square.nef", 40, 41), 0, 0);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(named->m_width, 40);
  EXPECT_EQ(named->m_height, 41);
  auto landscape = loader.Load(WriteQuarters(folder, "landscape.raf", 2000, 1500), 0, 0);
  ASSERT_NE(landscape, nullptr);
  EXPECT_EQ(landscape->m_width, 2000);
  EXPECT_EQ(landscape->m_height, 1500);
  ExpectQuarters(*landscape, kRed, kGreen, kBlue, kGrey);
}

// --- The front door ---

TEST(RawFrontDoor, CameraFilesGoToTheRawLoaderFirstInAnyCase) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  // A camera file whose first image is an 8-bit thumbnail the TIFF loader would read.
  DngSpec spec;
  spec.thumbnailWidth = 8;
  spec.thumbnailHeight = 6;
  const std::string path = WriteQuarters(folder, "DSC_0001.NEF", 64, 48, spec);
  auto image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Raw);
  EXPECT_EQ(image->m_width, 64);
  ExpectQuarters(*image, kRed, kGreen, kBlue, kGrey);
  // The second hint asks the RAW loader for half size.
  image = loader.Load(path, 0, 1);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_width, 32);

  // When the RAW decode yields nothing, the list is tried: here the TIFF loader.
  CvxRawParams broken;
  broken.m_outputDepth = 7;
  loader.SetRawParams(&broken);
  image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Tiff);
  EXPECT_EQ(image->m_width, 8);
  EXPECT_EQ(broken.m_outputDepth, 7) << "the front door's block is copied, not reset";

  // A progress routine that abandons: the list is tried as well.
  ProgressScript abandon;
  abandon.stopAt = 2;
  CvxRawParams abandoning;
  abandoning.m_progress = &ProgressScript::Step;
  abandoning.m_progressContext = &abandon;
  loader.SetRawParams(&abandoning);
  image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Tiff);

  // A stop request during the RAW decode ends the load: nothing else is tried.
  ProgressScript stop;
  stop.stopAt = 2;
  stop.stopFrontDoor = &loader;
  CvxRawParams stopping;
  stopping.m_progress = &ProgressScript::Step;
  stopping.m_progressContext = &stop;
  loader.SetRawParams(&stopping);
  EXPECT_EQ(loader.Load(path, 0, 0), nullptr);
  EXPECT_EQ(stop.calls, 2);

  // And the next load starts afresh.
  loader.SetRawParams(nullptr);
  image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Raw);
}

// The progress routine holds the decode after loading until the other thread has asked
// the front door to stop.
struct CrossThreadStop {
  std::promise<void> started;
  std::promise<void> stopped;
  int calls = 0;
  static bool Step(void* context) {
    auto* self = static_cast<CrossThreadStop*>(context);
    if (++self->calls == 2) {
      self->started.set_value();
      self->stopped.get_future().wait();
    }
    return true;
  }
};

TEST(RawFrontDoor, AStopFromAnotherThreadEndsTheRawDecode) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "threads.nef", 64, 48);
  CvxImageLoader loader(CvxColor8{});
  CrossThreadStop script;
  CvxRawParams params;
  params.m_progress = &CrossThreadStop::Step;
  params.m_progressContext = &script;
  loader.SetRawParams(&params);
  std::thread stopper([&] {
    script.started.get_future().wait();
    loader.Stop();
    script.stopped.set_value();
  });
  EXPECT_EQ(loader.Load(path, 0, 0), nullptr);
  stopper.join();
  EXPECT_EQ(script.calls, 2);
  // Between loads there is nothing to stop, and the next load runs.
  loader.Stop();
  loader.SetRawParams(nullptr);
  EXPECT_NE(loader.Load(path, 0, 0), nullptr);
}

TEST(RawFrontDoor, ARawNamedFileThatIsNoRawFileGoesToTheList) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  CvxImageColor8 picture(16, 8, true);
  picture.FillRect(0, 0, 16, 8, CvxColor8(10, 200, 30));
  const std::string path = folder.Path("renamed.NEF");
  WriteBytes(path, EncodeJpeg(picture));
  auto image = loader.Load(path, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Jpeg);
  EXPECT_EQ(image->m_width, 16);
}

// A TIFF-named camera file of one of the two TIFF-writing models: a small thumbnail first
// and the sensor image in a sub-image, so the file is larger than nine bytes a thumbnail
// pixel.
std::string WriteCanonTiff(const TempFolder& folder, const std::string& name, const std::string& model,
                           int thumbnailWidth = 8, int thumbnailHeight = 6) {
  DngSpec spec;
  spec.make = "Canon";
  spec.model = model;
  spec.thumbnailWidth = thumbnailWidth;
  spec.thumbnailHeight = thumbnailHeight;
  return WriteQuarters(folder, name, 64, 48, spec);
}

TEST(RawFrontDoor, TiffNamedFilesAreRawOnlyForTheTwoCameraModels) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  const std::string one = WriteCanonTiff(folder, "one.tif", "EOS-1D");
  const std::string ones = WriteCanonTiff(folder, "ones.TIFF", "EOS-1DS");
  EXPECT_TRUE(loader.LooksLikeRaw(one));
  EXPECT_TRUE(loader.LooksLikeRaw(ones));
  auto image = loader.Load(one, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Raw);
  EXPECT_EQ(image->m_width, 64);

  // Another model, another maker, or a thumbnail too large for the file: a TIFF.
  const std::string other = WriteCanonTiff(folder, "other.tif", "EOS 5D");
  EXPECT_FALSE(loader.LooksLikeRaw(other));
  image = loader.Load(other, 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Tiff);
  EXPECT_EQ(image->m_width, 8);
  DngSpec nikon;
  nikon.make = "Nikon";
  nikon.model = "EOS-1D";
  nikon.thumbnailWidth = 8;
  nikon.thumbnailHeight = 6;
  EXPECT_FALSE(loader.LooksLikeRaw(WriteQuarters(folder, "nikon.tif", 64, 48, nikon)));
  // 64 × 48 × 9 bytes is more than the whole file.
  EXPECT_FALSE(loader.LooksLikeRaw(WriteCanonTiff(folder, "bigthumb.tif", "EOS-1D", 64, 48)));
  // The same camera file under a RAW extension is a RAW file by its name.
  EXPECT_TRUE(loader.LooksLikeRaw(WriteCanonTiff(folder, "bigthumb.crw", "EOS-1D", 64, 48)));
}

TEST(RawFrontDoor, TheTiffAnswerIsRememberedPerPathAndModificationTime) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  const std::string path = WriteCanonTiff(folder, "Remembered.tif", "EOS-1D");
  ASSERT_TRUE(loader.LooksLikeRaw(path));
  const auto modified = std::filesystem::last_write_time(path);

  // Other contents at the same modification time: the remembered answer stands, for any
  // spelling of the path and for another front door too.
  CvxImageColor8 picture(4, 4, true);
  ASSERT_TRUE(testing::WriteTiff(picture, path));
  std::filesystem::last_write_time(path, modified);
  EXPECT_TRUE(loader.LooksLikeRaw(path));
  const std::string upper = folder.Path("REMEMBERED.TIF");
  if (std::filesystem::exists(upper)) {
    EXPECT_TRUE(loader.LooksLikeRaw(upper));  // case-insensitive file systems only
  }
  EXPECT_TRUE(CvxImageLoader(CvxColor8{}).LooksLikeRaw(path));

  // A new modification time asks the decoder again.
  std::filesystem::last_write_time(path, modified + std::chrono::seconds(10));
  EXPECT_FALSE(loader.LooksLikeRaw(path));
}

TEST(RawFrontDoor, TheSlideShowListsNoRawFilesButTheLoaderDecodesThem) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  for (const char* extension : {".cr2", ".crw", ".dir", ".dcr", ".dcf", ".mrw", ".nef", ".orf", ".raf", ".srf",
                                ".x3f", ".NEF", ".Cr2"}) {
    const std::string name = std::string("photo") + extension;
    EXPECT_FALSE(MediaList::IsPicture(name)) << name;
    EXPECT_TRUE(loader.LooksLikeRaw(name)) << name;
  }
  EXPECT_TRUE(MediaList::IsPicture("photo.jpg"));
  auto image = loader.Load(WriteQuarters(folder, "photo.x3f", 32, 24), 0, 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Raw);
}

}  // namespace
}  // namespace glintora
