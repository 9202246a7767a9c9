#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/config.h"
#include "core/settings/memory_profile_store.h"

namespace glintora {
namespace {

const std::string kApp;  // the application key itself

// A memory store that also records the order of writes.
class RecordingStore final : public ProfileStore {
 public:
  std::optional<RegistryValue> ReadValue(const std::string& s, const std::string& n) override {
    return inner.ReadValue(s, n);
  }
  bool WriteValue(const std::string& s, const std::string& n, const RegistryValue& v) override {
    writes.push_back(n);
    return inner.WriteValue(s, n, v);
  }
  std::optional<RegistryValue> ReadUserValue(const std::string& k, const std::string& n, size_t c) override {
    return inner.ReadUserValue(k, n, c);
  }
  MemoryProfileStore inner;
  std::vector<std::string> writes;
};

RegistryValue Bytes(size_t count, uint8_t fill) { return RegistryValue::Binary(std::vector<uint8_t>(count, fill)); }

TEST(CConfig, FreshUserGetsTheDefaultsAndThePicturesFolder) {
  MemoryProfileStore store;
  store.SetUserValue(kShellFoldersKey, "My Pictures", RegistryValue::String("C:\\Users\\ann\\Pictures"));
  store.SetUserValue(kShellFoldersKey, "Personal", RegistryValue::String("C:\\Users\\ann\\Documents"));
  CConfig config(store);
  EXPECT_EQ(config.m_directory, "C:\\Users\\ann\\Pictures");
  EXPECT_TRUE(config.m_random);
  EXPECT_TRUE(config.m_recursive);
  EXPECT_FALSE(config.m_enlarge);
  EXPECT_EQ(config.m_delay, 3.0);
  EXPECT_TRUE(config.m_useTransitions);
  EXPECT_EQ(config.m_transitionDuration, 2.0);
  for (uint8_t flag : config.m_usage) EXPECT_EQ(flag, 1);
  EXPECT_TRUE(config.m_playMovies);
  EXPECT_EQ(config.m_movieZoom, "1");
  EXPECT_TRUE(config.m_muteMovies);
  EXPECT_TRUE(config.m_autoRotate);
  EXPECT_TRUE(config.m_resumeShuffle);
  EXPECT_EQ(config.m_movieLimit, 600u);
  EXPECT_TRUE(config.m_allMonitors);
  // Reading created the key but wrote nothing, not even the fallback folder.
  EXPECT_TRUE(store.HasKey(kApp));
  EXPECT_TRUE(store.Values().empty());
}

TEST(CConfig, FolderFallbackOrder) {
  {
    MemoryProfileStore store;
    store.SetUserValue(kShellFoldersKey, "Personal", RegistryValue::String("D:\\Docs"));
    EXPECT_EQ(CConfig(store).m_directory, "D:\\Docs");
  }
  {
    MemoryProfileStore store;  // neither value: the folder stays empty
    EXPECT_EQ(CConfig(store).m_directory, "");
  }
  {
    // A value that does not fit the 2048-byte buffer fails; the next one is taken.
    MemoryProfileStore store;
    store.SetUserValue(kShellFoldersKey, "My Pictures", RegistryValue::String(std::string(2048, 'x')));
    store.SetUserValue(kShellFoldersKey, "Personal", RegistryValue::String("D:\\Docs"));
    EXPECT_EQ(CConfig(store).m_directory, "D:\\Docs");
  }
  {
    // Exactly 2048 bytes without a terminator fit, and are read no further than stored.
    MemoryProfileStore store;
    store.SetUserValue(kShellFoldersKey, "My Pictures", {kRegSz, std::vector<uint8_t>(2048, 'p')});
    EXPECT_EQ(CConfig(store).m_directory, std::string(2048, 'p'));
  }
  {
    // Taken whatever its type.
    MemoryProfileStore store;
    store.SetUserValue(kShellFoldersKey, "My Pictures", {kRegExpandSz, {'E', ':', '\\', 0}});
    EXPECT_EQ(CConfig(store).m_directory, "E:\\");
  }
  {
    // A stored folder wins; a stored folder of the wrong type counts as missing.
    MemoryProfileStore store;
    store.SetUserValue(kShellFoldersKey, "My Pictures", RegistryValue::String("P:\\"));
    store.WriteValue(kApp, "Directory", RegistryValue::String("S:\\Slides"));
    EXPECT_EQ(CConfig(store).m_directory, "S:\\Slides");
    store.WriteValue(kApp, "Directory", RegistryValue::Dword(7));
    EXPECT_EQ(CConfig(store).m_directory, "P:\\");
  }
}

TEST(CConfig, RealsReadAsTextWithTheDummySentinel) {
  MemoryProfileStore store;
  auto delayFor = [&](const RegistryValue& stored) {
    store.WriteValue(kApp, "Delay", stored);
    return CConfig(store).m_delay;
  };
  EXPECT_EQ(delayFor(RegistryValue::String("5.5")), 5.5);
  EXPECT_EQ(delayFor(RegistryValue::String("12.000000")), 12.0);
  EXPECT_EQ(delayFor(RegistryValue::Dword(5)), 3.0);  // wrong type reads as the sentinel
  EXPECT_EQ(delayFor(RegistryValue::String("dummy")), 3.0);
  EXPECT_EQ(delayFor(RegistryValue::String("soon")), 0.0);
  EXPECT_EQ(delayFor(RegistryValue::String("")), 0.0);
  EXPECT_EQ(delayFor(RegistryValue::String("250")), 250.0);  // not clamped
  store.WriteValue(kApp, "Transition Duration", RegistryValue::String("0.75"));
  EXPECT_EQ(CConfig(store).m_transitionDuration, 0.75);
}

TEST(CConfig, TruthsAndTextsIgnoreValuesOfTheWrongType) {
  MemoryProfileStore store;
  store.WriteValue(kApp, "Random", RegistryValue::String("0"));
  store.WriteValue(kApp, "Recursive", RegistryValue::Dword(0));
  store.WriteValue(kApp, "Enlarge to screen", RegistryValue::Dword(7));
  store.WriteValue(kApp, "Transition", RegistryValue::Binary({0, 0, 0, 0}));
  store.WriteValue(kApp, "Mute Movies", RegistryValue::Dword(0));
  store.WriteValue(kApp, "Movie Zoom", RegistryValue::Dword(2));
  store.WriteValue(kApp, "Movie Limit", RegistryValue::String("30"));
  CConfig config(store);
  EXPECT_TRUE(config.m_random);
  EXPECT_FALSE(config.m_recursive);
  EXPECT_TRUE(config.m_enlarge);
  EXPECT_TRUE(config.m_useTransitions);
  EXPECT_FALSE(config.m_muteMovies);
  EXPECT_EQ(config.m_movieZoom, "1");
  EXPECT_EQ(config.m_movieLimit, 600u);

  store.WriteValue(kApp, "Movie Zoom", RegistryValue::String("Fullscreen"));
  store.WriteValue(kApp, "play movies", RegistryValue::Dword(0));  // names ignore case
  CConfig again(store);
  EXPECT_EQ(again.m_movieZoom, "Fullscreen");
  EXPECT_FALSE(again.m_playMovies);
}

TEST(CConfig, UsageIsTakenOnlyAtExactlyOneHundredAndOneBytes) {
  MemoryProfileStore store;
  std::vector<uint8_t> flags(101);
  for (size_t i = 0; i < flags.size(); ++i) flags[i] = static_cast<uint8_t>(i % 3);
  store.WriteValue(kApp, "Usage", RegistryValue::Binary(flags));
  CConfig exact(store);
  EXPECT_TRUE(std::equal(flags.begin(), flags.end(), exact.m_usage.begin()));

  for (size_t size : {0u, 1u, 100u, 102u, 404u}) {
    store.WriteValue(kApp, "Usage", Bytes(size, 0));
    CConfig other(store);
    for (uint8_t flag : other.m_usage) ASSERT_EQ(flag, 1) << size;
  }
}

TEST(CConfig, SaveWritesEveryValueInRegistrationOrderThenUsage) {
  RecordingStore store;
  CConfig config(store);
  config.Save();
  const std::vector<std::string> order = {"Directory", "Random",      "Recursive",  "Enlarge to screen",
                                          "Delay",     "Transition",  "Transition Duration",
                                          "Play Movies", "Movie Zoom", "Mute Movies",
                                          // beyond them, in the order they were added
                                          "Decode Ahead", "Auto Rotate", "Resume Shuffle", "Movie Limit", "All Monitors",
                                          "Usage"};
  EXPECT_EQ(store.writes, order);

  const auto& values = store.inner.Values();
  EXPECT_EQ(values.at("delay"), RegistryValue::String("3.000000"));
  EXPECT_EQ(values.at("transition duration"), RegistryValue::String("2.000000"));
  EXPECT_EQ(values.at("random"), RegistryValue::Dword(1));
  EXPECT_EQ(values.at("enlarge to screen"), RegistryValue::Dword(0));
  EXPECT_EQ(values.at("directory"), RegistryValue::String(""));
  EXPECT_EQ(values.at("movie zoom"), RegistryValue::String("1"));
  EXPECT_EQ(values.at("movie limit"), RegistryValue::Dword(600));
  EXPECT_EQ(values.at("usage"), Bytes(101, 1));
}

TEST(CConfig, SavedSettingsLoadBackUnchanged) {
  MemoryProfileStore store;
  {
    CConfig config(store);
    config.m_directory = "C:\\Photos\\Ferien 2026";
    config.m_recursive = false;
    config.m_delay = 7.25;
    config.m_random = false;
    config.m_enlarge = true;
    config.m_useTransitions = false;
    config.m_transitionDuration = 0.5;
    config.m_usage.fill(0);
    config.m_usage[0] = 1;
    config.m_usage[100] = 1;
    config.m_playMovies = false;
    config.m_movieZoom = "Fullscreen";
    config.m_muteMovies = false;
    config.m_autoRotate = false;
    config.m_resumeShuffle = false;
    config.m_movieLimit = 0xFFFFFFF0u;  // beyond the signed range, kept whole
    config.m_allMonitors = false;
    config.Save();
  }
  CConfig loaded(store);
  EXPECT_EQ(loaded.m_directory, "C:\\Photos\\Ferien 2026");
  EXPECT_FALSE(loaded.m_recursive);
  EXPECT_EQ(loaded.m_delay, 7.25);
  EXPECT_FALSE(loaded.m_random);
  EXPECT_TRUE(loaded.m_enlarge);
  EXPECT_FALSE(loaded.m_useTransitions);
  EXPECT_EQ(loaded.m_transitionDuration, 0.5);
  EXPECT_EQ(loaded.m_usage[0], 1);
  EXPECT_EQ(loaded.m_usage[50], 0);
  EXPECT_EQ(loaded.m_usage[100], 1);
  EXPECT_FALSE(loaded.m_playMovies);
  EXPECT_EQ(loaded.m_movieZoom, "Fullscreen");
  EXPECT_FALSE(loaded.m_muteMovies);
  EXPECT_FALSE(loaded.m_autoRotate);
  EXPECT_FALSE(loaded.m_resumeShuffle);
  EXPECT_EQ(loaded.m_movieLimit, 0xFFFFFFF0u);
  EXPECT_FALSE(loaded.m_allMonitors);
}

TEST(CConfig, RealsKeepSixDecimalsThroughASave) {
  MemoryProfileStore store;
  {
    CConfig config(store);
    config.m_delay = 1.0000004;  // below the sixth decimal: rounded away
    config.m_transitionDuration = 1.9999996;
    config.Save();
  }
  CConfig loaded(store);
  EXPECT_EQ(loaded.m_delay, 1.0);
  EXPECT_EQ(loaded.m_transitionDuration, 2.0);
}

}  // namespace
}  // namespace glintora
