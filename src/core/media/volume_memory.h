#pragma once
// The mute state every player of the process shares, and the volume it gives back on
// unmuting. Volumes are in hundredths of a decibel: 0 full, -10000 silent.

#include <optional>

namespace glintora {

inline constexpr long kSilentVolume = -10000;
// The saved volume before any movie's volume was read.
inline constexpr long kVolumeUnread = -1000000;

class VolumeMemory {
 public:
  // Remembers the first volume a movie reports, before anything muted it.
  void NoteOpeningVolume(std::optional<long> volume);
  // Records the new mute state; returns the volume to set on the movie, or nothing when its
  // volume stays. Only a change from unmuted to muted saves the current volume: muting twice
  // would otherwise save the silence as the volume to restore.
  std::optional<long> SetMute(bool mute, std::optional<long> currentVolume);

  bool Muted() const { return m_muted; }
  long SavedVolume() const { return m_saved; }

 private:
  bool m_muted = false;
  long m_saved = kVolumeUnread;
};

}  // namespace glintora
