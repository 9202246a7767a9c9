#include "core/media/volume_memory.h"

namespace glintora {

void VolumeMemory::NoteOpeningVolume(std::optional<long> volume) {
  if (m_saved == kVolumeUnread && volume) m_saved = *volume;
}

std::optional<long> VolumeMemory::SetMute(bool mute, std::optional<long> currentVolume) {
  const bool wasMuted = m_muted;
  m_muted = mute;
  if (mute) {
    if (!wasMuted && currentVolume) m_saved = *currentVolume;
    return kSilentVolume;
  }
  // Nothing to give back before any volume was known.
  if (m_saved == kVolumeUnread) return std::nullopt;
  return m_saved;
}

}  // namespace glintora
