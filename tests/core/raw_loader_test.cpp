#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <thread>

#include "core/loaders/image_loader.h"
#include "core/loaders/raw_loader.h"
#include "core/show/media_list.h"
#include "fixtures.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::DngRecipe;
using testing::TempFolder;
using testing::WriteDng;

const CvxColor8 kRed(20, 30, 200);
const CvxColor8 kGreen(30, 180, 40);
const CvxColor8 kBlue(200, 40, 20);
const CvxColor8 kGrey(120, 120, 120);

// A camera file of four flat quarters: red top left, green top right, blue bottom left,
// grey bottom right.
std::string WriteQuarters(const TempFolder& folder, const std::string& name, int width, int height,
                          const DngRecipe& recipe = {}) {
  auto picture = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      picture->At(x, y) = y < height / 2 ? (right ? kGreen : kRed) : (right ? kGrey : kBlue);
    }
  }
  const std::string path = folder.Path(name);
  EXPECT_TRUE(WriteDng(*picture, path, recipe));
  return path;
}

template <typename P>
P QuarterCentre(const CvxImage& image, int column, int row) {
  return static_cast<const CvxImageT<P>&>(image).At(image.m_width * (2 * column + 1) / 4,
                                                    image.m_height * (2 * row + 1) / 4);
}

// The colours of the four quarters of a Color8 picture, in reading order: R, G or B where
// that channel is at least 1.5 times each other one, N for a mid grey, ? for anything else.
std::string QuarterColours(const CvxImage& image) {
  std::string colours;
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      const CvxColor8 p = QuarterCentre<CvxColor8>(image, column, row);
      const int low = std::min({p.c[0], p.c[1], p.c[2]});
      const int high = std::max({p.c[0], p.c[1], p.c[2]});
      char colour = high - low <= 8 && low >= 40 ? 'N' : '?';
      for (int c = 0; c < 3; ++c) {
        if (2 * p.c[c] >= 3 * p.c[(c + 1) % 3] && 2 * p.c[c] >= 3 * p.c[(c + 2) % 3]) colour = "BGR"[c];
      }
      colours += colour;
    }
  }
  return colours;
}

TEST(RawDecoder, DescribesTheSensorAndMapsItsOutputThroughTheCurve) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "sensor.nef", 64, 48);
  DCRaw decoder;
  ASSERT_TRUE(decoder.IdentifyFile(path));
  EXPECT_TRUE(decoder.IsFileOpen());
  EXPECT_EQ(std::vector({decoder.RawWidth(), decoder.RawHeight(), decoder.FullOutputWidth(),
                         decoder.FullOutputHeight(), decoder.Colors()}),
            std::vector({64, 48, 64, 48, 3}));
  EXPECT_TRUE(decoder.HasColorFilter());
  // The raw data starts with the top-left red quarter's red and green samples, 200 and 30
  // times 257, little-endian.
  const std::vector<uint8_t> bytes = testing::ReadBytes(path);
  const auto offset = static_cast<size_t>(decoder.DataOffset());
  ASSERT_LE(offset + 4, bytes.size());
  EXPECT_EQ(std::vector(bytes.begin() + offset, bytes.begin() + offset + 4), std::vector<uint8_t>({200, 200, 30, 30}));
  EXPECT_EQ(decoder.Curve8()[65535], 0) << "no curve before processing";

  for (float brightness : {1.0f, 2.0f}) {
    ASSERT_TRUE(decoder.IdentifyFile(path));
    decoder.SetParameters(brightness, false, true, 0, 0, 0);
    ASSERT_TRUE(decoder.LoadRawData());
    ASSERT_TRUE(decoder.Process([] { return true; }));
    EXPECT_EQ(std::pair(decoder.OutputWidth(), decoder.OutputHeight()), std::pair(64, 48));
    const auto& curve = decoder.Curve8();
    EXPECT_TRUE(std::is_sorted(curve.begin(), curve.end()));
    EXPECT_EQ(curve[0], 0);
    EXPECT_EQ(curve[65535], 255);
    // The brightest quarter channels are white; half of that is BT.709's 0.7055 of white,
    // unless twice the brightness makes it white too.
    EXPECT_NEAR(curve[32768], brightness == 1.0f ? 180 : 255, 3) << brightness;
  }
  decoder.CloseFile();
  EXPECT_FALSE(decoder.IsFileOpen());
  EXPECT_FALSE(decoder.LoadRawData());
}

TEST(RawLoader, DecodesACameraFileToAnUprightColourPicture) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "camera.nef", 96, 64);
  CvxLoaderRAW loader;
  EXPECT_TRUE(loader.CanLoad(path));
  std::string maker, model;
  ASSERT_TRUE(loader.Identify(path, maker, model));
  EXPECT_EQ(maker + "/" + model, "Glintora/Synthetic CFA");
  const CvxImageHeader info = loader.GetInfo(path);
  EXPECT_EQ(std::vector({info.m_width, info.m_height, info.m_format, info.m_type}), std::vector({96, 64, +Raw, +Color8}));

  auto image = loader.Load(path);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::vector({image->m_width, image->m_height, image->m_format, image->GetType()}),
            std::vector({96, 64, +Raw, +Color8}));
  EXPECT_EQ(QuarterColours(*image), "RGBN");
  // The same loader decodes again: nothing of the first decode is left behind.
  auto again = loader.Load(path);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(testing::SamePixels(*image, *again));
}

TEST(RawLoader, TheOutputDepthChoosesColor16OrNothing) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "camera.crw", 64, 48);
  CvxRawParams params;
  params.m_outputDepth = 1;
  CvxLoaderRAW wide(&params);
  EXPECT_EQ(wide.GetInfo(path).m_type, Color16);
  auto image = wide.Load(path);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->GetType(), Color16);
  // A neutral white balance and an sRGB camera: the flat quarters come back linear, as
  // written, up to one common scale (the brightest sample may be taken as white).
  const CvxColor8 written[2][2] = {{kRed, kGreen}, {kBlue, kGrey}};
  const double scale = QuarterCentre<CvxColor16>(*image, 1, 1).c[1] / (kGrey.c[1] * 257.0);
  EXPECT_GE(scale, 1.0);
  EXPECT_LE(scale, 65535.0 / (200 * 257));
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(QuarterCentre<CvxColor16>(*image, column, row).c[c], written[row][column].c[c] * 257 * scale, 300)
            << column << "," << row << " channel " << c;
      }
    }
  }

  // Any other depth: nothing, and every parameter back at its default.
  params.m_outputDepth = 2;
  params.m_brightness = 3.0f;
  params.m_cameraWhiteBalance = 0;
  CvxLoaderRAW odd(&params);
  EXPECT_EQ(odd.Load(path), nullptr);
  EXPECT_EQ(odd.m_outputDepth, 0);
  EXPECT_EQ(odd.m_brightness, 1.0f);
  EXPECT_EQ(odd.m_cameraWhiteBalance, 1);
  EXPECT_EQ(odd.m_autoWhiteBalance, 0);
  EXPECT_NE(odd.Load(path), nullptr);
}

TEST(RawLoader, FilesThatAreNoCameraFilesAreNotRecognised) {
  TempFolder folder;
  CvxImageColor8 picture(8, 8, true);
  const std::string jpeg = folder.Path("photo.nef");
  testing::WriteBytes(jpeg, testing::EncodeJpeg(picture));
  const std::string tiff = folder.Path("plain.tif");
  ASSERT_TRUE(testing::WriteTiff(picture, tiff));
  const std::string junk = folder.Path("junk.cr2");
  testing::WriteBytes(junk, std::vector<uint8_t>(300, 0x49));
  const std::string tiny = folder.Path("tiny.nef");  // the decoder takes no sensor under 22 pixels
  ASSERT_TRUE(WriteDng(picture, tiny));

  CvxLoaderRAW loader;
  for (const std::string& path : {jpeg, tiff, junk, tiny, folder.Path("missing.nef")}) {
    EXPECT_FALSE(loader.CanLoad(path)) << path;
    const CvxImageHeader info = loader.GetInfo(path);
    EXPECT_EQ(std::vector({info.m_width, info.m_height, info.m_format, info.m_type}), std::vector({0, 0, 0, 0}));
    EXPECT_EQ(loader.Load(path), nullptr) << path;
  }
}

TEST(RawLoader, SizeFollowsHalfSizeOrientationAndPixelShape) {
  TempFolder folder;
  CvxLoaderRAW loader;
  auto expectSize = [&](const std::string& path, int half, int width, int height, const char* colours) {
    auto image = loader.Load(path, {.halfSize = half != 0});
    ASSERT_NE(image, nullptr) << path;
    EXPECT_EQ(std::pair(image->m_width, image->m_height), std::pair(width, height)) << path;
    EXPECT_EQ(QuarterColours(*image), colours) << path;
  };
  // Half size rounds up; the JPEG options ask for nothing; the description stays full size.
  const std::string odd = WriteQuarters(folder, "odd.dcr", 65, 49);
  expectSize(odd, 1, 33, 25, "RGBN");
  expectSize(odd, 0, 65, 49, "RGBN");
  EXPECT_EQ(loader.GetInfo(odd).m_width, 65);
  auto jpegOptions = loader.Load(odd, {.targetWidth = 10, .scale = 8, .fastTransform = true});
  ASSERT_NE(jpegOptions, nullptr);
  EXPECT_EQ(jpegOptions->m_width, 65);

  // Shown after a quarter turn clockwise: the left quarters (red over blue) come to the top.
  DngRecipe turned;
  turned.orientation = 6;
  const std::string portrait = WriteQuarters(folder, "portrait.nef", 64, 48, turned);
  expectSize(portrait, 0, 48, 64, "BRNG");
  EXPECT_EQ(loader.GetInfo(portrait).m_width, 48);
  expectSize(portrait, 1, 24, 32, "BRNG");

  // Pixels twice as wide as high are stretched.
  DngRecipe wide;
  wide.pixelAspect = 2;
  const std::string stretched = WriteQuarters(folder, "wide.nef", 40, 30, wide);
  expectSize(stretched, 0, 80, 30, "RGBN");
  EXPECT_EQ(loader.GetInfo(stretched).m_width, 80);
}

// A progress routine that counts its calls and at call `stopAt` says stop, or raises the
// stop flag of a loader or of a front door instead.
struct ProgressScript {
  int calls = 0;
  int stopAt = 0;
  CvxLoader* stopLoader = nullptr;
  CvxImageLoader* stopFrontDoor = nullptr;
  static bool Step(void* context) {
    auto* script = static_cast<ProgressScript*>(context);
    if (++script->calls != script->stopAt) return true;
    if (script->stopLoader) script->stopLoader->m_stop = true;
    if (script->stopFrontDoor) script->stopFrontDoor->Stop();
    return script->stopLoader || script->stopFrontDoor;
  }
  CvxRawParams Params() {
    CvxRawParams params;
    params.m_progress = &Step;
    params.m_progressContext = this;
    return params;
  }
};

TEST(RawLoader, ProgressIsAskedAfterEveryStepAndRowAndEitherWayOfStoppingEndsTheDecode) {
  TempFolder folder;
  const int height = 24;
  const std::string path = WriteQuarters(folder, "steps.nef", 32, height);
  auto run = [&](int stopAt, bool byFlag) {
    ProgressScript script;
    script.stopAt = stopAt;
    const CvxRawParams params = script.Params();
    CvxLoaderRAW loader(&params);
    if (byFlag) script.stopLoader = &loader;
    const bool decoded = loader.Load(path) != nullptr;
    return std::pair(decoded, script.calls);
  };
  // After identification, loading, processing and the RGB conversion, then after each row.
  EXPECT_EQ(run(0, false), std::pair(true, 4 + height));
  EXPECT_EQ(run(4 + height, false), std::pair(false, 4 + height));
  for (bool byFlag : {false, true}) {
    // A stop at the first call decodes nothing; after a stop nothing more is asked.
    for (int stopAt : {1, 2, 3, 4, 4 + 10}) {
      EXPECT_EQ(run(stopAt, byFlag), std::pair(false, stopAt)) << stopAt << (byFlag ? " by flag" : "");
    }
  }
}

// A camera file whose first directory claims another sensor size.
std::string WriteClaimedSize(const TempFolder& folder, const std::string& name, int width, int height) {
  const std::string path = WriteQuarters(folder, name, 32, 32);
  std::vector<uint8_t> bytes = testing::ReadBytes(path);
  const uint32_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<uint32_t>(bytes[7]) << 24;
  for (int n = 0, entries = bytes[ifd] | bytes[ifd + 1] << 8; n < entries; ++n) {
    uint8_t* entry = &bytes[ifd + 2 + 12 * static_cast<size_t>(n)];
    const int tag = entry[0] | entry[1] << 8;
    if (tag == 256 || tag == 257) {
      const int value = tag == 256 ? width : height;
      entry[8] = static_cast<uint8_t>(value);
      entry[9] = static_cast<uint8_t>(value >> 8);
    }
  }
  testing::WriteBytes(path, bytes);
  return path;
}

TEST(RawLoader, SensorsTooLargeToWorkOnAreRefusedBeforeTheDataIsRead) {
  TempFolder folder;
  // 50000 × 50000 needs more memory than any picture may have; 18000 × 16000 fits a
  // picture but not the decoder's four samples a pixel. 32 × 32 is the file as written.
  for (const auto& [width, height, refused] : {std::tuple{50000, 50000, true}, std::tuple{18000, 16000, true},
                                               std::tuple{32, 32, false}}) {
    const std::string path = WriteClaimedSize(folder, "claims.nef", width, height);
    DCRaw decoder;
    int stages = 0;
    decoder.SetAbandonCheck([&stages] {
      ++stages;
      return false;
    });
    ASSERT_TRUE(decoder.IdentifyFile(path)) << width;
    EXPECT_EQ(decoder.FullOutputWidth(), width);
    stages = 0;
    EXPECT_EQ(decoder.LoadRawData(), !refused) << width;
    EXPECT_EQ(stages == 0, refused) << "the decoder's reading stages ran: " << stages;
    EXPECT_EQ(CvxLoaderRAW().Load(path) == nullptr, refused) << width;
  }
}

// --- The diagonal sensor's correction ---

// The upright picture straight from its definition, every pixel, no shortcuts.
template <typename P>
std::unique_ptr<CvxImageT<P>> ReferenceUpright(const CvxImageT<P>& source) {
  const int n = source.m_width;
  auto black = [](const P& p) { return p.c[0] == 0 && p.c[1] == 0 && p.c[2] == 0; };
  int i = 0;
  while (i < n && black(source.At(i, 0))) ++i;
  int j = n - 2;
  while (j > 0 && black(source.At(j, 0))) --j;
  const int e = 2 * n - 2 * i - 4;
  std::vector<P> buffer(static_cast<size_t>(e) * j);
  auto at = [&](int row, int column) -> P& { return buffer[static_cast<size_t>(row) * j + column]; };
  for (int r = 0; r < source.m_height; ++r) {
    for (int c = 0; c < n; ++c) {
      const int k = r + c - j + 5;
      const int d = c - r + j - 1;
      if (0 <= k && k < e && 0 <= d && d < 2 * j) at(k, d / 2) = source.At(c, r);
    }
  }
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

template <typename P>
void ExpectUprightLikeReference(int width, int height, int blackLeft, int blackRight) {
  auto picture = testing::Pattern<P>(width, height, static_cast<uint32_t>(width * height));
  for (int x = 0; x < width; ++x) {
    if (x < blackLeft || x >= width - blackRight) picture->At(x, 0) = P{};
  }
  auto upright = FujiUpright(picture->Clone());
  ASSERT_NE(upright, nullptr);
  EXPECT_TRUE(testing::SamePixels(*upright, *ReferenceUpright(*picture))) << width << "x" << height;
}

TEST(FujiUpright, TurnsTheDiagonalLayoutUprightForBothDepths) {
  for (const auto& [width, height, blackLeft, blackRight] :
       {std::tuple{12, 13, 3, 2}, std::tuple{40, 41, 0, 0}, std::tuple{31, 30, 7, 9}, std::tuple{9, 9, 4, 1}}) {
    ExpectUprightLikeReference<CvxColor8>(width, height, blackLeft, blackRight);
    ExpectUprightLikeReference<CvxColor16>(width, height, blackLeft, blackRight);
  }

  // 2000 × 2001 with the picture on columns 500 to 1499 of the top row: i = 500, j = 1499.
  auto picture = NewImage<CvxColor8>(2000, 2001, false);
  picture->FillRect(0, 0, 2000, 2001, CvxColor8(60, 120, 180));
  for (int x = 0; x < 2000; ++x) {
    if (x < 500 || x >= 1500) picture->At(x, 0) = CvxColor8();
  }
  auto upright = FujiUpright(std::move(picture));
  ASSERT_NE(upright, nullptr);
  EXPECT_EQ(std::pair(upright->m_width, upright->m_height), std::pair(2 * 1499, 2 * 2000 - 2 * 500 - 4));
  // Inside, a flat picture stays flat, gathered pixels and the means between them alike;
  // the corners outside the diagonal stay black.
  const auto& result = static_cast<const CvxImageColor8&>(*upright);
  for (const auto& [x, y] : {std::pair{1200, 1000}, std::pair{1201, 1000}, std::pair{1777, 1501}}) {
    EXPECT_EQ(std::vector({result.At(x, y).Blue(), result.At(x, y).Green(), result.At(x, y).Red()}),
              std::vector<uint8_t>({60, 120, 180}))
        << x << "," << y;
  }
  EXPECT_EQ(result.At(0, 0).Red(), 0);
}

TEST(FujiUpright, PicturesWithoutADiagonalComeBackAsTheyAre) {
  std::vector<std::unique_ptr<CvxImage>> pictures;
  pictures.push_back(NewImage<CvxColor8>(20, 21, true));         // a black top row
  pictures.push_back(testing::Pattern<CvxColor8>(1, 2, 3));      // one column: no column n - 2
  pictures.push_back(testing::Pattern<CvxColor16>(1, 1, 3));
  pictures.push_back(testing::Pattern<CvxGray8>(20, 20, 3));     // not a colour picture
  auto rightOnly = NewImage<CvxColor8>(20, 20, true);            // i = 19: e = 40 - 38 - 4 < 0
  rightOnly->At(19, 0) = CvxColor8(1, 2, 3);
  pictures.push_back(std::move(rightOnly));
  for (auto& picture : pictures) {
    const CvxImage* before = picture.get();
    EXPECT_EQ(FujiUpright(std::move(picture)).get(), before) << before->m_width << "x" << before->m_height;
  }
  EXPECT_EQ(FujiUpright(nullptr), nullptr);
}

TEST(FujiUpright, AppliesToNearlySquareRafPicturesOnly) {
  EXPECT_TRUE(IsDiagonalLayout("C:\\photos\\DSCF0001.RAF", 2000, 2001));
  EXPECT_TRUE(IsDiagonalLayout("x.raf", 2001, 2000));
  EXPECT_FALSE(IsDiagonalLayout("x.raf", 2000, 1500));
  EXPECT_FALSE(IsDiagonalLayout("x.raf", 2000, 2002));
  EXPECT_FALSE(IsDiagonalLayout("x.nef", 2000, 2001));

  // Through the loader, with camera files named ".raf".
  TempFolder folder;
  CvxLoaderRAW loader;
  auto square = loader.Load(WriteQuarters(folder, "square.raf", 40, 41));
  ASSERT_NE(square, nullptr);
  EXPECT_EQ(std::pair(square->m_width, square->m_height), std::pair(2 * 38, 2 * 40 - 4));  // j = n - 2, i = 0
  EXPECT_EQ(square->m_format, Raw);
  auto named = loader.Load(WriteQuarters(folder, "square.nef", 40, 41));
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(std::pair(named->m_width, named->m_height), std::pair(40, 41));
  auto landscape = loader.Load(WriteQuarters(folder, "landscape.raf", 2000, 1500));
  ASSERT_NE(landscape, nullptr);
  EXPECT_EQ(std::pair(landscape->m_width, landscape->m_height), std::pair(2000, 1500));
  EXPECT_EQ(QuarterColours(*landscape), "RGBN");
}

// --- The front door ---

TEST(RawFrontDoor, RawFilesGoToTheRawLoaderFirstAndToTheListWhenItGivesNothing) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  // A camera file whose first image is an 8-bit thumbnail the TIFF loader reads.
  DngRecipe recipe;
  recipe.thumbnailWidth = 8;
  recipe.thumbnailHeight = 6;
  const std::string path = WriteQuarters(folder, "DSC_0001.NEF", 64, 48, recipe);
  auto formatAndWidth = [&](bool halfSize) {
    auto image = loader.Load(path, {.halfSize = halfSize});
    return image ? std::pair(image->m_format, image->m_width) : std::pair(0, 0);
  };
  EXPECT_EQ(formatAndWidth(false), std::pair(+Raw, 64));
  EXPECT_EQ(formatAndWidth(true), std::pair(+Raw, 32));

  // No RAW result: the list is tried, and the TIFF loader reads the thumbnail.
  CvxRawParams broken;
  broken.m_outputDepth = 7;
  loader.SetRawParams(&broken);
  EXPECT_EQ(formatAndWidth(0), std::pair(+Tiff, 8));
  EXPECT_EQ(broken.m_outputDepth, 7) << "the front door's block is copied, not reset";
  ProgressScript abandon;
  abandon.stopAt = 2;
  const CvxRawParams abandoning = abandon.Params();
  loader.SetRawParams(&abandoning);
  EXPECT_EQ(formatAndWidth(0), std::pair(+Tiff, 8));

  // A stop request ends the load: nothing else is tried; the next load starts afresh.
  ProgressScript stop;
  stop.stopAt = 2;
  stop.stopFrontDoor = &loader;
  const CvxRawParams stopping = stop.Params();
  loader.SetRawParams(&stopping);
  EXPECT_EQ(formatAndWidth(0), std::pair(0, 0));
  EXPECT_EQ(stop.calls, 2);
  loader.SetRawParams(nullptr);
  EXPECT_EQ(formatAndWidth(0), std::pair(+Raw, 64));
}

TEST(RawFrontDoor, AStopFromAnotherThreadEndsTheRawDecode) {
  TempFolder folder;
  const std::string path = WriteQuarters(folder, "threads.nef", 64, 48);
  CvxImageLoader loader(CvxColor8{});
  // The progress routine holds the decode after loading until the other thread has asked
  // the front door to stop.
  struct Script {
    std::promise<void> started, stopped;
    int calls = 0;
  } script;
  CvxRawParams params;
  params.m_progressContext = &script;
  params.m_progress = [](void* context) {
    auto* self = static_cast<Script*>(context);
    if (++self->calls == 2) {
      self->started.set_value();
      self->stopped.get_future().wait();
    }
    return true;
  };
  loader.SetRawParams(&params);
  std::thread stopper([&] {
    script.started.get_future().wait();
    loader.Stop();
    script.stopped.set_value();
  });
  EXPECT_EQ(loader.Load(path), nullptr);
  stopper.join();
  EXPECT_EQ(script.calls, 2);
  // Between loads there is nothing to stop.
  loader.Stop();
  loader.SetRawParams(nullptr);
  EXPECT_NE(loader.Load(path), nullptr);
}

// A TIFF-named camera file: a small thumbnail first and the sensor image in a sub-image.
std::string WriteCameraTiff(const TempFolder& folder, const std::string& name, const std::string& make,
                            const std::string& model, int thumbnailWidth = 8, int thumbnailHeight = 6) {
  DngRecipe recipe;
  recipe.make = make;
  recipe.model = model;
  recipe.thumbnailWidth = thumbnailWidth;
  recipe.thumbnailHeight = thumbnailHeight;
  return WriteQuarters(folder, name, 64, 48, recipe);
}

TEST(RawFrontDoor, TiffNamedFilesAreRawOnlyForTheTwoCameraModels) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  EXPECT_TRUE(loader.LooksLikeRaw(WriteCameraTiff(folder, "ones.TIFF", "Canon", "EOS-1DS")));
  // As the cameras themselves write it: the model repeats the maker.
  EXPECT_TRUE(loader.LooksLikeRaw(WriteCameraTiff(folder, "camera.tif", "Canon", "Canon EOS-1D")));
  const std::string one = WriteCameraTiff(folder, "one.tif", "Canon", "EOS-1D");
  EXPECT_TRUE(loader.LooksLikeRaw(one));
  auto image = loader.Load(one);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::pair(image->m_format, image->m_width), std::pair(+Raw, 64));

  // Another model or maker, or a file not larger than nine bytes a thumbnail pixel: TIFF.
  const std::string other = WriteCameraTiff(folder, "other.tif", "Canon", "EOS 5D");
  EXPECT_FALSE(loader.LooksLikeRaw(other));
  image = loader.Load(other);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::pair(image->m_format, image->m_width), std::pair(+Tiff, 8));
  EXPECT_FALSE(loader.LooksLikeRaw(WriteCameraTiff(folder, "maker.tif", "Nikon", "EOS-1D")));
  EXPECT_FALSE(loader.LooksLikeRaw(WriteCameraTiff(folder, "bigthumb.tif", "Canon", "EOS-1D", 64, 48)));
  // Under a RAW extension the name alone decides.
  EXPECT_TRUE(loader.LooksLikeRaw(WriteCameraTiff(folder, "bigthumb.crw", "Canon", "EOS-1D", 64, 48)));

  // The answer is remembered per lower-cased path and modification time: other contents
  // at the same time keep it, for every front door; a new time asks the decoder again.
  const auto modified = std::filesystem::last_write_time(one);
  ASSERT_TRUE(testing::WriteTiff(CvxImageColor8(4, 4, true), one));
  std::filesystem::last_write_time(one, modified);
  EXPECT_TRUE(CvxImageLoader(CvxColor8{}).LooksLikeRaw(one));
  if (std::filesystem::exists(folder.Path("ONE.TIF"))) {
    EXPECT_TRUE(loader.LooksLikeRaw(folder.Path("ONE.TIF")));  // case-insensitive file systems
  }
  std::filesystem::last_write_time(one, modified + std::chrono::seconds(10));
  EXPECT_FALSE(loader.LooksLikeRaw(one));
}

TEST(RawFrontDoor, OnlyTiffFilesNamingTheTwoCamerasReachTheRawLibrary) {
  TempFolder folder;
  CvxImageLoader loader(CvxColor8{});
  // An input on which an older RAW library overflowed a buffer while identifying it.
  const std::string found = folder.Path("found.tif");
  testing::WriteBytes(found, testing::ReadFinding("raw/libraw-identify-overflow.tif"));
  ASSERT_TRUE(std::filesystem::file_size(found) > 0);
  const int64_t before = DCRaw::FilesHandedToLibrary();
  EXPECT_FALSE(loader.LooksLikeRaw(found));
  loader.Load(found);
  ImageSize stored;
  loader.LoadToCover(found, [](ImageSize) { return ImageSize{8, 8}; }, stored);
  const std::string plain = folder.Path("plain.tif");
  ASSERT_TRUE(testing::WriteTiff(CvxImageColor8(4, 4, true), plain));
  EXPECT_NE(loader.Load(plain), nullptr);
  EXPECT_EQ(DCRaw::FilesHandedToLibrary(), before);

  EXPECT_TRUE(loader.LooksLikeRaw(WriteCameraTiff(folder, "camera.tif", "Canon", "EOS-1D")));
  EXPECT_GT(DCRaw::FilesHandedToLibrary(), before);
}

TEST(RawFrontDoor, TheLibraryIsTheVersionTheWindowsProgramShips) {
  // The Debian version the build took LibRaw from, e.g. "0.21.4-2+deb13u1", begins with the
  // library's own version, which it reports as "0.21.4-Release".
  const std::string debian = GLINTORA_LIBRAW_DEBIAN_VERSION;
  const std::string upstream = debian.substr(debian.find(':') + 1, debian.find('-') - debian.find(':') - 1);
  ASSERT_FALSE(upstream.empty());
  EXPECT_EQ(std::string(DCRaw::LibraryVersion()).substr(0, upstream.size() + 1), upstream + "-");
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
  auto image = loader.Load(WriteQuarters(folder, "photo.x3f", 32, 24));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->m_format, Raw);
}

}  // namespace
}  // namespace glintora
