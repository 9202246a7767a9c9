#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>

#include "core/base/clock.h"
#include "core/base/file_system.h"
#include "core/base/random.h"
#include "core/show/media_list.h"
#include "fakes.h"

namespace glintora {
namespace {

using testing::FakeFileSystem;

std::vector<std::string> Scan(const FileSystem& fs, const std::string& folder, bool recursive) {
  std::vector<std::string> files;
  MediaList::ScanFolder(fs, folder, files, recursive);
  return files;
}

TEST(MediaList, WalksSubfoldersDepthFirstWhereTheyAreMet) {
  FakeFileSystem fs;
  fs.Add("R", "x.jpg").Add("R", "sub\\").Add("R", "y.jpg");
  fs.Add("R\\sub", "s1.jpg").Add("R\\sub", "deeper\\").Add("R\\sub", "s2.jpg");
  fs.Add("R\\sub\\deeper", "d.jpg").Add("R\\sub\\deeper", "empty\\");

  EXPECT_EQ(Scan(fs, "R", true),
            (std::vector<std::string>{"R\\x.jpg", "R\\sub\\s1.jpg", "R\\sub\\deeper\\d.jpg", "R\\sub\\s2.jpg",
                                      "R\\y.jpg"}));
  EXPECT_EQ(fs.patterns, (std::vector<std::string>{"R\\*.*", "R\\sub\\*.*", "R\\sub\\deeper\\*.*",
                                                   "R\\sub\\deeper\\empty\\*.*"}));

  fs.patterns.clear();
  EXPECT_EQ(Scan(fs, "R", false), (std::vector<std::string>{"R\\x.jpg", "R\\y.jpg"}));
  EXPECT_EQ(fs.patterns, std::vector<std::string>{"R\\*.*"});
}

TEST(MediaList, KeepsPicturesAndOptionallyMoviesByLowerCasedExtension) {
  FakeFileSystem fs;
  for (const char* name : {"a.JPG", "b.Jpeg", "c.jpg.txt", ".jpg", "d.png", "e.avi", "f.MOV", "g.psd", "h.ppm",
                           "i.nef", "j.tif", "k.TIFF", "l.gif", "m.bmp", "noext", "n.jpg.", "o.webp", "p.HEIC",
                           "q.avif", "r.hif", "s.Heif", "t.MP4", "u.m4v", "v.3gp", "w.mp4v"}) {
    fs.Add("P", name);
  }
  MediaList withMovies;
  ASSERT_TRUE(withMovies.Build(fs, "P", true, /*playMovies=*/true, /*random=*/false));
  EXPECT_EQ(withMovies.Files(),
            (std::vector<std::string>{"P\\a.JPG", "P\\b.Jpeg", "P\\.jpg", "P\\d.png", "P\\e.avi", "P\\f.MOV",
                                      "P\\j.tif", "P\\k.TIFF", "P\\l.gif", "P\\m.bmp", "P\\o.webp", "P\\p.HEIC",
                                      "P\\q.avif", "P\\r.hif", "P\\s.Heif", "P\\t.MP4", "P\\u.m4v", "P\\v.3gp"}));
  EXPECT_TRUE(withMovies.IsMovie("P\\f.MOV"));
  EXPECT_TRUE(withMovies.IsMovie("P\\t.MP4"));
  EXPECT_FALSE(withMovies.IsMovie("P\\a.JPG"));

  MediaList withoutMovies;
  ASSERT_TRUE(withoutMovies.Build(fs, "P", true, /*playMovies=*/false, /*random=*/false));
  EXPECT_EQ(withoutMovies.Size(), 13u);
  EXPECT_EQ(std::count(withoutMovies.Files().begin(), withoutMovies.Files().end(), "P\\e.avi"), 0);
  EXPECT_FALSE(withoutMovies.IsMovie("P\\e.avi"));
  EXPECT_FALSE(withoutMovies.IsMovie("P\\v.3gp"));
}

TEST(MediaList, NothingToShowFailsTheBuild) {
  FakeFileSystem fs;
  fs.Add("Only", "notes.txt").Add("Only", "clip.avi").Add("Only", "photo.psd");
  MediaList list;
  EXPECT_FALSE(list.Build(fs, "Missing", true, true, true));
  EXPECT_TRUE(list.Empty());
  EXPECT_FALSE(list.Build(fs, "Only", true, /*playMovies=*/false, true));
  EXPECT_TRUE(list.Build(fs, "Only", true, /*playMovies=*/true, true));
  EXPECT_EQ(list.Current(), "Only\\clip.avi");
}

TEST(MediaList, InOrderStartsAtTheFirstAndWrapsAround) {
  FakeFileSystem fs;
  fs.Add("O", "1.jpg").Add("O", "2.jpg").Add("O", "3.jpg");
  MediaList list;
  ASSERT_TRUE(list.Build(fs, "O", false, true, /*random=*/false));
  std::vector<std::string> shown = {list.Current()};
  for (int i = 0; i < 4; ++i) {
    list.Advance();
    shown.push_back(list.Current());
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"O\\1.jpg", "O\\2.jpg", "O\\3.jpg", "O\\1.jpg", "O\\2.jpg"}));
  EXPECT_TRUE(list.Order().empty());
}

TEST(MediaList, ShuffleExchangesInTwoPassesWithTheSharedGenerator) {
  // From seed 1 the generator yields 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358,
  // 26962, 24464; modulo 5 these exchange 0-1, 1-2, 2-4, 3-0, 4-4, then 0-4, 1-3, 2-3,
  // 3-2, 4-4, leaving the order 0, 1, 4, 2, 3.
  FakeFileSystem fs;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) fs.Add("S", name);
  SeedRandom(1);
  MediaList list;
  ASSERT_TRUE(list.Build(fs, "S", false, true, /*random=*/true));
  EXPECT_EQ(list.Order(), (std::vector<int>{0, 1, 4, 2, 3}));
  std::vector<size_t> shown = {list.CurrentIndex()};
  for (int i = 0; i < 4; ++i) {
    list.Advance();
    shown.push_back(list.CurrentIndex());
  }
  EXPECT_EQ(shown, (std::vector<size_t>{0, 1, 4, 2, 3}));
}

TEST(MediaList, EveryShuffledCycleShowsEachItemOnce) {
  FakeFileSystem fs;
  for (int i = 0; i < 37; ++i) fs.Add("C", std::to_string(i) + ".png");
  SeedRandom(20261208);
  MediaList list;
  ASSERT_TRUE(list.Build(fs, "C", false, true, true));
  std::vector<int> previousCycle;
  for (int cycle = 0; cycle < 6; ++cycle) {
    std::vector<int> seen;
    for (size_t i = 0; i < list.Size(); ++i) {
      if (cycle + i > 0) list.Advance();
      seen.push_back(static_cast<int>(list.CurrentIndex()));
    }
    std::vector<int> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> all(list.Size());
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(sorted, all) << "cycle " << cycle;
    EXPECT_NE(seen, previousCycle) << "each cycle draws a new permutation";
    previousCycle = seen;
  }
}

TEST(MediaList, OneItemIsShownOnEveryStep) {
  FakeFileSystem fs;
  fs.Add("One", "only.gif");
  for (bool random : {true, false}) {
    MediaList list;
    ASSERT_TRUE(list.Build(fs, "One", true, true, random));
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(list.Current(), "One\\only.gif");
      list.Advance();
    }
  }
}

TEST(MediaList, ShufflesMoreItemsThanTheGeneratorReaches) {
  // Exchange partners are drawn below 32768, yet every cycle is still a permutation.
  constexpr int kCount = 40000;
  FakeFileSystem fs;
  for (int i = 0; i < kCount; ++i) fs.Add("Big", std::to_string(i) + ".jpg");
  SeedRandom(7);
  MediaList list;
  ASSERT_TRUE(list.Build(fs, "Big", false, true, true));
  for (int cycle = 0; cycle < 2; ++cycle) {
    std::vector<char> seen(kCount, 0);
    for (int i = 0; i < kCount; ++i) {
      if (cycle + i > 0) list.Advance();
      ASSERT_EQ(seen[list.CurrentIndex()]++, 0);
    }
  }
}

// The real file system of this platform, on a temporary tree.
class RealFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = std::filesystem::temp_directory_path() /
             ("glintora-media-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_root);
    std::filesystem::create_directories(m_root / "Sub Folder" / "deep");
    for (const auto& file : {"a.jpg", "b.txt", "Sub Folder/c.PNG", "Sub Folder/deep/d.gif", "Sub Folder/e.mov"}) {
      std::ofstream(m_root / file) << "x";
    }
  }
  void TearDown() override { std::filesystem::remove_all(m_root); }

  // The root in the form the settings hold it: backslashes on Windows.
  std::string Root() const { return m_root.string(); }

  std::filesystem::path m_root;
};

TEST_F(RealFolder, ScansTheDiskWithBackslashJoinedPaths) {
  const std::string root = Root();
  std::vector<std::string> files = Scan(SystemFileSystem(), root, true);
  // The order within a folder is the file system's own; the depth-first grouping is not.
  const auto where = [&](const std::string& path) { return std::find(files.begin(), files.end(), path) - files.begin(); };
  const std::vector<std::string> expected = {root + "\\a.jpg", root + "\\b.txt", root + "\\Sub Folder\\c.PNG",
                                             root + "\\Sub Folder\\deep\\d.gif", root + "\\Sub Folder\\e.mov"};
  ASSERT_EQ(std::set<std::string>(files.begin(), files.end()), std::set<std::string>(expected.begin(), expected.end()));
  const auto sub = std::minmax({where(expected[2]), where(expected[3]), where(expected[4])});
  EXPECT_EQ(sub.second - sub.first, 2) << "a subfolder's files stand together";

  // Each file's creation time comes with it: the files were made moments ago.
  std::vector<std::string> again;
  std::vector<int64_t> created;
  MediaList::ScanFolder(SystemFileSystem(), root, again, true, &created);
  ASSERT_EQ(created.size(), again.size());
  const int64_t now = SystemClock().CalendarSeconds();
  for (int64_t time : created) EXPECT_NEAR(static_cast<double>(time), static_cast<double>(now), 3600.0);

  EXPECT_EQ(Scan(SystemFileSystem(), root, false).size(), 2u);
  EXPECT_TRUE(Scan(SystemFileSystem(), root + "\\no such folder", true).empty());

  MediaList list;
  ASSERT_TRUE(list.Build(SystemFileSystem(), root, true, /*playMovies=*/false, /*random=*/false));
  EXPECT_EQ(list.Size(), 3u);
}

}  // namespace
}  // namespace glintora
