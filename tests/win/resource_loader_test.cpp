// Pictures stored as resources: a missing one gives nothing and leaves no temporary file.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/loaders/image_loader.h"

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
  EXPECT_EQ(loader.LoadFromResource(GetModuleHandleA(nullptr), 133, "JPEG"), nullptr);
  EXPECT_EQ(loader.LoadFromResource(nullptr, 1, "NOSUCHTYPE"), nullptr);
  EXPECT_EQ(CountTemporaryFiles(), before);
  EXPECT_EQ(CvxImageLoader::LoadBitmapResource(20000), nullptr);
}

}  // namespace
}  // namespace glintora
