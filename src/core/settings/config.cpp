#include "core/settings/config.h"

#include "core/settings/profile_store.h"

namespace glintora {
namespace {

const std::string kAppSection;  // every value lies directly in the application key
const std::string kUsageName = "Usage";

}  // namespace

CConfig::CConfig(ProfileStore& store) : m_serializer(store), m_store(store) {
  m_serializer.AddString(kAppSection, "Directory", &m_directory, "");
  m_serializer.AddBool(kAppSection, "Random", &m_random, true);
  m_serializer.AddBool(kAppSection, "Recursive", &m_recursive, true);
  m_serializer.AddBool(kAppSection, "Enlarge to screen", &m_enlarge, false);
  m_serializer.AddDouble(kAppSection, "Delay", &m_delay, 3.0);
  m_serializer.AddBool(kAppSection, "Transition", &m_useTransitions, true);
  m_serializer.AddDouble(kAppSection, "Transition Duration", &m_transitionDuration, 2.0);
  m_serializer.AddBool(kAppSection, "Play Movies", &m_playMovies, true);
  m_serializer.AddString(kAppSection, "Movie Zoom", &m_movieZoom, "1");
  m_serializer.AddBool(kAppSection, "Mute Movies", &m_muteMovies, true);
  m_serializer.AddBool(kAppSection, "Decode Ahead", &m_decodeAhead, true);
  m_serializer.AddBool(kAppSection, "Auto Rotate", &m_autoRotate, true);
  m_serializer.AddBool(kAppSection, "Resume Shuffle", &m_resumeShuffle, true);
  m_serializer.AddNumber(kAppSection, "Movie Limit", &m_movieLimit, kDefaultMovieLimitSeconds);
  m_serializer.AddBool(kAppSection, "All Monitors", &m_allMonitors, true);
  m_serializer.LoadValues();
  LoadUsage();
  ApplyFolderFallback();
}

void CConfig::Save() {
  m_serializer.StoreValues();
  m_store.WriteProfileBinary(kAppSection, kUsageName, std::vector<uint8_t>(m_usage.begin(), m_usage.end()));
}

void CConfig::LoadUsage() {
  const auto bytes = m_store.GetProfileBinary(kAppSection, kUsageName);
  if (bytes && bytes->size() == m_usage.size()) {
    std::copy(bytes->begin(), bytes->end(), m_usage.begin());
  } else {
    m_usage.fill(1);
  }
}

void CConfig::ApplyFolderFallback() {
  if (!m_directory.empty()) return;
  auto folder = m_store.ReadUserValue(kShellFoldersKey, "My Pictures", kShellFolderCapacity);
  if (!folder) folder = m_store.ReadUserValue(kShellFoldersKey, "Personal", kShellFolderCapacity);
  // Whatever the value's type, its bytes up to the first zero are the folder.
  if (folder) m_directory = folder->AsText();
}

}  // namespace glintora
