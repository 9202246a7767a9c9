#pragma once
// The settings record shared by the slide show and the options dialog. Each owner loads its
// own copy at construction; only the options dialog saves.

#include <array>
#include <cstdint>
#include <string>

#include "core/settings/serializer.h"
#include "core/transitions/catalogue.h"

namespace glintora {

class ProfileStore;

// Other keys of the current user that the settings read.
inline constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Size of the buffer the picture folder is read into from the Shell Folders key.
inline constexpr size_t kShellFolderCapacity = 2048;
// "Movie Limit": ten minutes, long enough for any clip kept beside photos.
inline constexpr uint32_t kDefaultMovieLimitSeconds = 600;

class CConfig {
 public:
  // Registers the values, loads them (defaults for anything missing or malformed), reads the
  // enabled transitions and falls back to the user's picture folder. Never fails.
  explicit CConfig(ProfileStore& store);
  // The serializer's entries point into this record, so it stays where it was built.
  CConfig(const CConfig&) = delete;
  CConfig& operator=(const CConfig&) = delete;

  // Writes every value in registration order, then "Usage".
  void Save();

  // Every member below is bound to a registry value and set by the constructor's load.
  std::string m_directory;
  bool m_recursive;
  double m_delay;  // seconds per picture
  bool m_random;
  bool m_enlarge;
  bool m_useTransitions;
  double m_transitionDuration;  // seconds
  std::array<uint8_t, kTransitionCount> m_usage;  // non-zero: transition i may be chosen
  bool m_playMovies;
  std::string m_movieZoom;  // "Fullscreen", "1", "2" or "3"
  bool m_muteMovies;
  // Beyond the original values; 0 restores the behaviour from before each of them.
  bool m_decodeAhead;    // the next item is loaded ahead, no larger than shown
  bool m_autoRotate;     // pictures stand upright by their orientation tag
  bool m_resumeShuffle;  // a shuffled cycle continues from one run of the saver to the next
  uint32_t m_movieLimit;  // seconds a movie may hold the show at most; 0: no ceiling
  bool m_allMonitors;     // a show on every monitor; 0: on the primary, the others black
  CvxSerializer m_serializer;

 private:
  void LoadUsage();
  void ApplyFolderFallback();

  ProfileStore& m_store;
};

}  // namespace glintora
