// The HEIF and WebP loaders against Debian's independent decoders, on pictures made by Debian's
// independent encoders; and TIFFs in tiles, made from TIFFs in strips by libtiff's own tool.

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <cstring>
#include <filesystem>

#include "core/base/file_io.h"
#include "core/loaders/compose_alpha.h"
#include "core/loaders/heif_av1_decoder.h"
#include "core/loaders/heif_loader.h"
#include "core/loaders/image_loader.h"
#include "core/loaders/tiff_loader.h"
#include "core/loaders/webp_loader.h"
#include "fixtures.h"
#include "picture_samples.h"

namespace glintora {
namespace {

using testing::CloseTo;
using testing::PictureSample;
using testing::ReadBytes;
using testing::ReferencePng;

// One comparison: a sample through a loader, a reference decoder's PNG, how close they must be.
struct SampleCase {
  const char* sample;
  bool keepAlpha;
  const char* reference;
  int32_t type;       // the loader's image type
  int tolerance;      // largest difference of a sample
  int shift;          // bits below the stored ones, dropped before comparing
};

template <typename Loader>
void ExpectMatches(const SampleCase& c) {
  SCOPED_TRACE(std::string(c.sample) + " against " + c.reference);
  if (!std::filesystem::exists(PictureSample(c.sample))) GTEST_SKIP() << "no picture samples";
  Loader loader;
  loader.m_keepAlpha = c.keepAlpha;
  ASSERT_TRUE(loader.CanLoad(PictureSample(c.sample)));
  const CvxImageHeader info = loader.GetInfo(PictureSample(c.sample));
  const std::unique_ptr<CvxImage> ours = loader.Load(PictureSample(c.sample));
  const std::unique_ptr<CvxImage> reference = ReferencePng(c.reference);
  ASSERT_TRUE(ours && reference);
  EXPECT_EQ(ours->GetType(), c.type);
  EXPECT_EQ(info.m_width, ours->m_width);
  EXPECT_EQ(info.m_height, ours->m_height);
  EXPECT_EQ(info.GetType(), c.type);
  EXPECT_TRUE(CloseTo(*ours, *reference, c.tolerance, c.shift));
}

TEST(HeifLoader, DecodesAsTheReferenceDecodersDo) {
  const SampleCase cases[] = {
      {"photo.heic", false, "photo.heic.png", Color8, 0, 0},
      {"photo.avif", false, "photo.avif.png", Color8, 0, 0},
      // The AV1 library's own tool, its chroma taken as stored (as libheif does, rather than
      // interpolated), converts to colour with other rounding.
      {"photo.avif", false, "photo.avif.avifdec.png", Color8, 1, 0},
      {"alpha.heic", true, "alpha.heic.png", Alpha8, 0, 0},
      // Ten bits a sample: the reference puts them at the top of 16, as the loader does.
      {"deep.heic", false, "deep.heic.png", Color16, 0, 6},
      // AV1 goes through our own decoder, the reference through libheif's: every layout the
      // decoder hands on (odd sizes, so that rounded-up chroma planes show).
      {"alpha.avif", true, "alpha.avif.png", Alpha8, 0, 0},
      {"deep.avif", false, "deep.avif.png", Color16, 0, 6},
      {"photo422.avif", false, "photo422.avif.png", Color8, 0, 0},
      {"photo444.avif", false, "photo444.avif.png", Color8, 0, 0},
      {"grey.avif", false, "grey.avif.png", Color8, 0, 0},
  };
  for (const SampleCase& c : cases) ExpectMatches<CvxLoaderHEIF>(c);
}

// Rotation and mirroring stored in the file (added to heif-enc's files by heif_boxes), on
// HEIC's grid of one tile and on AVIF's single picture.
TEST(HeifLoader, TurnsAndMirrorsAsTheReferenceDecoderDoes) {
  if (!std::filesystem::exists(PictureSample("turned.heic"))) GTEST_SKIP() << "no turned samples";
  const SampleCase cases[] = {
      {"turned.heic", false, "turned.heic.png", Color8, 0, 0},
      {"turned-mirrored.heic", false, "turned-mirrored.heic.png", Color8, 0, 0},
      {"turned.avif", false, "turned.avif.png", Color8, 0, 0},
  };
  for (const SampleCase& c : cases) ExpectMatches<CvxLoaderHEIF>(c);
  // The size as shown: a quarter turn stands the 61 × 37 picture on its side.
  CvxLoaderHEIF loader;
  const CvxImageHeader info = loader.GetInfo(PictureSample("turned.heic"));
  EXPECT_EQ(info.m_width, 37);
  EXPECT_EQ(info.m_height, 61);
}

// libheif chooses our AV1 decoder over its own once the loader has been used.
TEST(HeifLoader, ChoosesOurAv1Decoder) {
  UseOwnAv1Decoder();
  const heif_decoder_descriptor* best = nullptr;
  ASSERT_EQ(heif_get_decoder_descriptors(heif_compression_AV1, &best, 1), 1);
  EXPECT_STREQ(heif_decoder_descriptor_get_id_name(best), "glintora-dav1d");
}

TEST(WebPLoader, DecodesAsTheReferenceDecoderDoes) {
  const SampleCase cases[] = {
      {"photo.webp", false, "photo.webp.png", Color8, 0, 0},
      {"alpha.webp", true, "alpha.webp.png", Alpha8, 0, 0},
      {"anim.webp", false, "anim.first.png", Color8, 0, 0},
  };
  for (const SampleCase& c : cases) ExpectMatches<CvxLoaderWebP>(c);
}

// The pictures libheif's and libwebp's Debian source packages ship: a HEIC of two pictures
// (its primary shown), an AVIF that lacks a property strict readers want, a lossy WebP.
TEST(HeifAndWebPLoaders, TheSourcePackagesPicturesDecodeAsTheReferenceDecodersDo) {
  if (!std::filesystem::exists(PictureSample("source-example.heic"))) GTEST_SKIP() << "no source-package samples";
  const SampleCase heif[] = {
      {"source-example.heic", false, "source-example.heic.png", Color8, 0, 0},
      {"source-example.avif", false, "source-example.avif.png", Color8, 0, 0},
      {"source-example.avif", false, "source-example.avif.avifdec.png", Color8, 1, 0},
  };
  for (const SampleCase& c : heif) ExpectMatches<CvxLoaderHEIF>(c);
  ExpectMatches<CvxLoaderWebP>({"source-test.webp", false, "source-test.webp.png", Color8, 0, 0});
}

// The damaged files libheif's fuzzing corpus keeps, each of which once broke a decoder: each
// gives nothing or a picture of its declared size, and never a fault (the sanitizers watch).
TEST(HeifLoader, TheDamagedFilesOfTheSourcePackageGiveNothingOrTheirPicture) {
  const std::string folder = PictureSample("heif-damaged");
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no source-package samples";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string path = entry.path().string();
    CvxLoaderHEIF loader;
    const CvxImageHeader info = loader.GetInfo(path);
    const std::unique_ptr<CvxImage> picture = loader.Load(path);
    if (picture) {
      EXPECT_EQ(picture->m_width, info.m_width) << path;
      EXPECT_EQ(picture->m_height, info.m_height) << path;
    }
    ++files;
  }
  EXPECT_GE(files, 30) << "the corpus holds 34 files";
}

// Transparent pixels over the background colour, as for PNG, from the reference's colour and
// opacity.
TEST(HeifAndWebPLoaders, ComposeTransparencyOverTheBackground) {
  if (!std::filesystem::exists(PictureSample("alpha.heic"))) GTEST_SKIP() << "no picture samples";
  for (const auto& [sample, reference] : {std::pair{"alpha.heic", "alpha.heic.png"}, {"alpha.webp", "alpha.webp.png"}}) {
    SCOPED_TRACE(sample);
    CvxImageLoader frontDoor(CvxColor8(30, 200, 10));
    const std::unique_ptr<CvxImage> ours = frontDoor.Load(PictureSample(sample));
    const std::unique_ptr<CvxImage> rgba = ReferencePng(reference);
    ASSERT_TRUE(ours && rgba);
    ASSERT_EQ(rgba->GetType(), Alpha8);
    auto expected = NewImage<CvxColor8>(rgba->m_width, rgba->m_height, false);
    const auto& in = static_cast<const CvxImageAlpha8&>(*rgba);
    const uint8_t background[3] = {30, 200, 10};
    for (int y = 0; y < in.m_height; ++y) {
      for (int x = 0; x < in.m_width; ++x) {
        for (int c = 0; c < 3; ++c) {
          expected->At(x, y).c[c] = ComposeOver(in.At(x, y).c[c], in.At(x, y).c[3], background[c]);
        }
      }
    }
    EXPECT_TRUE(CloseTo(*ours, *expected, 0));
  }
}

TEST(HeifAndWebPLoaders, TheFrontDoorKnowsThemByContentAndHonoursWebPOrientation) {
  if (!std::filesystem::exists(PictureSample("photo.heic"))) GTEST_SKIP() << "no picture samples";
  CvxImageLoader frontDoor(CvxColor8(0, 0, 0));
  for (const char* sample : {"photo.heic", "photo.avif", "photo.webp"}) {
    const std::vector<uint8_t> bytes = ReadBytes(PictureSample(sample));
    const std::unique_ptr<CvxImage> image = frontDoor.LoadFromMemory(bytes.data(), bytes.size());
    ASSERT_NE(image, nullptr) << sample << ", without a name";
    EXPECT_EQ(image->m_width, 61) << sample;
  }
  // An EXIF orientation 6 stands the WebP picture upright, a quarter turned; off, as stored.
  const std::unique_ptr<CvxImage> turned = frontDoor.Load(PictureSample("turned.webp"));
  ASSERT_NE(turned, nullptr);
  EXPECT_EQ(turned->m_width, 37);
  EXPECT_EQ(turned->m_height, 61);
  frontDoor.SetAutoRotate(false);
  EXPECT_EQ(frontDoor.Load(PictureSample("turned.webp"))->m_width, 61);
  // libwebp scales as it decodes, keeping the shape.
  CvxLoaderWebP webp;
  const std::unique_ptr<CvxImage> small = webp.Load(PictureSample("photo.webp"), LoadOptions{.targetWidth = 30});
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->m_width, 30);
  EXPECT_EQ(small->m_height, 18);
}

// Damaged files give nothing, and a claimed size beyond the image limit is refused before
// anything is allocated.
TEST(HeifAndWebPLoaders, DamagedOrGiantFilesGiveNothing) {
  if (!std::filesystem::exists(PictureSample("photo.heic"))) GTEST_SKIP() << "no picture samples";
  CvxImageLoader frontDoor(CvxColor8(0, 0, 0));
  for (const char* sample : {"photo.heic", "photo.avif", "photo.webp", "alpha.webp"}) {
    std::vector<uint8_t> bytes = ReadBytes(PictureSample(sample));
    bytes.resize(bytes.size() / 2);
    EXPECT_EQ(frontDoor.LoadFromMemory(bytes.data(), bytes.size()), nullptr) << sample << " cut at half";
  }
  // A lossless WebP header claiming 16384 × 16384 (its largest), then nothing: 1 GB of
  // pixels that never come.
  // Its header: the signature 0x2F, then 14 bits of width - 1, 14 of height - 1, no alpha,
  // version 0, least significant bits first.
  std::vector<uint8_t> giant = {'R', 'I', 'F', 'F', 25, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'L', 13, 0, 0, 0,
                                0x2F, 0xFF, 0xFF, 0xFF, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0};
  CvxLoaderWebP webp;
  MemoryByteSource source(giant.data(), giant.size());
  EXPECT_EQ(webp.ReadInfo(source).m_width, 16384);
  EXPECT_EQ(webp.Decode(source, {}), nullptr);
}

// Every sample layout the strip path reads comes the same from 16 × 16 tiles, the edge tiles
// cut at the picture's odd width and height; a tiled file cut short keeps the tiles it has.
TEST(TiffTiles, DecodeAsTheSameStrips) {
  if (!std::filesystem::exists(PictureSample("rgb8.tiled.tif"))) GTEST_SKIP() << "no picture samples";
  for (const char* layout : {"rgb8", "rgba8", "rgb16", "gray16", "planar", "palette", "zip"}) {
    SCOPED_TRACE(layout);
    CvxLoaderTIFF loader;
    const std::unique_ptr<CvxImage> strips = loader.Load(PictureSample(std::string(layout) + ".tif"));
    const std::unique_ptr<CvxImage> tiles = loader.Load(PictureSample(std::string(layout) + ".tiled.tif"));
    ASSERT_TRUE(strips && tiles);
    EXPECT_TRUE(CloseTo(*tiles, *strips, 0));
  }
  // A tile that cannot be read leaves its area black, and the rest comes: the first tile's
  // deflated bytes (tiffcp writes them just after the header) spoilt.
  std::vector<uint8_t> bytes = ReadBytes(PictureSample("zip.tiled.tif"));
  CvxLoaderTIFF loader;
  MemoryByteSource whole(bytes.data(), bytes.size());
  const std::unique_ptr<CvxImage> reference = loader.Decode(whole, {});
  ASSERT_NE(reference, nullptr);
  std::fill(bytes.begin() + 8, bytes.begin() + 40, uint8_t{0xFF});
  MemoryByteSource spoilt(bytes.data(), bytes.size());
  const std::unique_ptr<CvxImage> decoded = loader.Decode(spoilt, {});
  ASSERT_NE(decoded, nullptr) << "the other tiles still come";
  const auto& before = static_cast<const CvxImageColor8&>(*reference);
  const auto& after = static_cast<const CvxImageColor8&>(*decoded);
  const CvxColor8 black;
  EXPECT_NE(std::memcmp(&before.At(3, 3), &black, 3), 0);
  EXPECT_EQ(std::memcmp(&after.At(3, 3), &black, 3), 0) << "the spoilt tile";
  EXPECT_EQ(std::memcmp(&after.At(45, 30), &before.At(45, 30), 3), 0) << "another tile";
}

}  // namespace
}  // namespace glintora
