// Saving a selection of a movie must never cost the user the file saved over: the AVI copy
// refuses what it cannot hold whole, and a failed step of putting the finished file in the
// target's place leaves the target as it was.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../core/avi_writer.h"
#include "../core/fixtures.h"
#include "win/media/files/avi_file.h"
#include "win/media/files/file_replace.h"

namespace glintora {
namespace {

// 20 frames at 10 a second with 16000 samples of sound, 8000 a second.
std::vector<uint8_t> AviWithSound(bool timeless) {
  testing::AviRecipe recipe = testing::SolidAvi(16, 8, 10, 20, 0x20E040);
  recipe.sound.samplesPerSecond = 8000;
  recipe.sound.claimsNoRate = timeless;
  return testing::EncodeAvi(recipe);
}

TEST(MovieSaveTest, AnAviCopyRefusesWhatItCannotHoldWhole) {
  testing::TempFolder folder;
  const std::string source = folder.Path("source.avi");
  const std::string copy = folder.Path("copy.avi");
  testing::WriteBytes(source, AviWithSound(true));
  EXPECT_FALSE(CopyAviSelection(source, copy, 5, 15)) << "its sound cannot be placed in time";
  // The read-back check of a copy.
  std::vector<uint8_t> whole = AviWithSound(false);
  testing::WriteBytes(copy, whole);
  EXPECT_TRUE(AviHoldsCopy(copy, 20, 16000));
  EXPECT_FALSE(AviHoldsCopy(copy, 21, 16000)) << "a frame fewer than written";
  EXPECT_FALSE(AviHoldsCopy(copy, 20, 16001)) << "less sound than written";
  EXPECT_FALSE(AviHoldsCopy(copy, 20, 0)) << "sound where none was written";
  whole.pop_back();
  testing::WriteBytes(copy, whole);
  EXPECT_FALSE(AviHoldsCopy(copy, 20, 16000)) << "cut short: the AVI functions still read it all";
}

// The system's file operations failing at one step; a failing replace may take the target
// away first, as the system's own may when it cannot then rename the new file.
enum class Step { None, Flush, Replace, ReplaceTakingTarget, Move };
struct FailingFiles : SystemFileOperations {
  explicit FailingFiles(Step step) : failing(step) {}
  bool Flush(const std::string& path) override { return failing != Step::Flush && SystemFileOperations::Flush(path); }
  bool Replace(const std::string& from, const std::string& to) override {
    if (failing == Step::ReplaceTakingTarget) return !Remove(to);
    return failing != Step::Replace && SystemFileOperations::Replace(from, to);
  }
  bool Move(const std::string& from, const std::string& to) override {
    return failing != Step::Move && SystemFileOperations::Move(from, to);
  }
  Step failing;
};

TEST(MovieSaveTest, AFailedStepOfTheReplaceLeavesTheTargetAsItWas) {
  const std::vector<uint8_t> old{1, 2, 3};
  const std::vector<uint8_t> saved{4, 5, 6, 7};
  struct Case {
    const char* name;
    Step failing;
    bool targetThere;
    DWORD attributes;
    bool replaced;
  };
  const Case cases[] = {
      {"nothing fails", Step::None, true, FILE_ATTRIBUTE_NORMAL, true},
      {"a read-only target", Step::None, true, FILE_ATTRIBUTE_READONLY, false},
      {"the flush", Step::Flush, true, FILE_ATTRIBUTE_NORMAL, false},
      {"the final write", Step::Replace, true, FILE_ATTRIBUTE_NORMAL, false},
      {"the final write, the target taken away", Step::ReplaceTakingTarget, true, FILE_ATTRIBUTE_NORMAL, true},
      {"the move to a new name", Step::Move, false, FILE_ATTRIBUTE_NORMAL, false},
  };
  testing::TempFolder folder;
  const std::string target = folder.Path("target.avi");
  const std::string temporary = folder.Path("gli1.tmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.targetThere) {
      testing::WriteBytes(target, old);
      SetFileAttributesA(target.c_str(), c.attributes);
    }
    testing::WriteBytes(temporary, saved);
    FailingFiles files(c.failing);
    EXPECT_EQ(ReplaceWith(temporary, target, files), c.replaced);
    EXPECT_EQ(testing::ReadBytes(target), c.replaced ? saved : c.targetThere ? old : std::vector<uint8_t>());
    EXPECT_EQ(GetFileAttributesA(temporary.c_str()), INVALID_FILE_ATTRIBUTES) << "no temporary left";
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
  }
}

}  // namespace
}  // namespace glintora
