// Pictures and strings stored as resources: the transitions' mask pictures and names come
// back exactly as generated, and a missing picture gives nothing and leaves no temporary file.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/loaders/image_loader.h"
#include "core/transitions/catalogue.h"
#include "core/transitions/mask_bitmaps.h"
#include "core/transitions/masks.h"

namespace glintora {
namespace {

int CountTemporaryFiles() {
  char folder[MAX_PATH + 1];
  GetTempPathA(sizeof folder, folder);
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind("vx", 0) == 0) ++count;
  }
  return count;
}

TEST(ResourceLoader, MissingResourcesGiveNothingAndLeaveNoFile) {
  CvxImageLoader loader(CvxColor8{});
  const int before = CountTemporaryFiles();
  EXPECT_EQ(loader.LoadFromResource(GetModuleHandleA(nullptr), 135, "JPEG"), nullptr);
  EXPECT_EQ(loader.LoadFromResource(nullptr, 1, "NOSUCHTYPE"), nullptr);
  EXPECT_EQ(CountTemporaryFiles(), before);
  EXPECT_EQ(CvxImageLoader::LoadBitmapResource(29999), nullptr);
}

TEST(ResourceLoader, MaskPicturesLoadAsTheirGenerators) {
  for (const int id : {kTwirlBitmapId, kDiamondBitmapId}) {
    std::unique_ptr<CvxImage> loaded = CvxImageLoader::LoadBitmapResource(id);
    ASSERT_NE(loaded, nullptr) << id;
    ASSERT_EQ(loaded->m_type, Color8) << id;
    ASSERT_EQ(loaded->m_width, kMaskBitmapSize);
    ASSERT_EQ(loaded->m_height, kMaskBitmapSize);
    const MaskPicture expected = id == kTwirlBitmapId ? DrawTwirlMaskPicture() : DrawDiamondMaskPicture();
    const auto& colour = static_cast<const CvxImageColor8&>(*loaded);
    int differing = 0;
    for (int y = 0; y < kMaskBitmapSize; ++y) {
      for (int x = 0; x < kMaskBitmapSize; ++x) {
        const uint8_t grey = expected[static_cast<size_t>(y * kMaskBitmapSize + x)];
        const CvxColor8& pixel = colour.At(x, y);
        if (pixel.c[0] != grey || pixel.c[1] != grey || pixel.c[2] != grey) ++differing;
      }
    }
    EXPECT_EQ(differing, 0) << id;
  }
}

TEST(ResourceLoader, MasksFromResourcesEqualGeneratedMasks) {
  for (const int id : {85, 86, 90}) {
    auto fromResources = BuildTransitionMask(id, 64, 48, &CvxImageLoader::LoadBitmapResource);
    auto generated = BuildTransitionMask(id, 64, 48, &GeneratedMaskBitmap);
    ASSERT_NE(fromResources, nullptr) << id;
    ASSERT_NE(generated, nullptr) << id;
    ASSERT_EQ(fromResources->m_type, generated->m_type) << id;
    ASSERT_EQ(fromResources->m_width, generated->m_width) << id;
    ASSERT_EQ(fromResources->m_height, generated->m_height) << id;
    const auto& a = static_cast<const CvxImageGray8&>(*fromResources);
    const auto& b = static_cast<const CvxImageGray8&>(*generated);
    int differing = 0;
    for (int y = 0; y < a.m_height; ++y) {
      for (int x = 0; x < a.m_width; ++x) differing += a.At(x, y).c[0] != b.At(x, y).c[0];
    }
    EXPECT_EQ(differing, 0) << id;
  }
}

TEST(ResourceLoader, TransitionNamesAreInTheStringTable) {
  for (int id = 0; id < kTransitionCount; ++id) {
    const TransitionInfo& info = GetTransitionInfo(id);
    char text[256] = {};
    const int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(info.stringId), text, sizeof text);
    EXPECT_EQ(std::string(text, static_cast<size_t>(std::max(length, 0))), info.name) << id;
  }
}

}  // namespace
}  // namespace glintora
