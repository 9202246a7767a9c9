#include "win/media/mci/mci_engine.h"

#include <vfw.h>

#include "core/media/engine_route.h"
#include "core/media/player_arithmetic.h"
#include "win/media/player/movie_editing.h"

namespace glintora {

bool CMciEngine::Open(HWND player, const std::string& path, bool sound, int width, int height) {
  m_path = path;
  if (!m_window.Create(player, path, MciWindowStyle(sound, m_settings.controlsVisible))) return false;
  if (!sound) m_window.Move(width, height);
  return m_window.Play() == 0;
}

bool CMciEngine::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != MCIWNDM_NOTIFYMODE) return false;
  // Only this engine's window counts; one being closed reports its stop as well.
  if (reinterpret_cast<HWND>(wParam) != m_window.Handle() || lParam != MCI_MODE_STOP) return true;
  if (m_settings.repeat) {
    m_window.Play();
  } else {
    m_host.EngineEnded();
  }
  return true;
}

bool CMciEngine::Pause() {
  m_pausedByCaller = true;
  return m_window.Pause() == 0;
}

bool CMciEngine::Play() {
  m_pausedByCaller = false;
  return m_window.Resume() == 0;
}

int64_t CMciEngine::LengthMilliseconds() {
  const int64_t length = m_window.LengthMilliseconds();
  return length >= 0 ? length : -1;
}

double CMciEngine::FrameRate() {
  return FrameRateOverMilliseconds(m_window.LengthFrames(), m_window.LengthMilliseconds());
}

bool CMciEngine::SaveSelection(const std::string& target, int first, int last,
                               const std::function<void()>& letGoOfFile) {
  return SaveAviSelection(m_path, target, first, last, letGoOfFile);
}

EngineProgress CMciEngine::Progress() {
  if (m_window.Playing()) {
    m_seenPlaying = true;
    return {false, m_window.PositionFrames()};
  }
  // A video in the MCI window tells nobody its end: it just stops.
  if (m_seenPlaying && !m_pausedByCaller && m_window.Stopped() && !m_settings.repeat) return {true, std::nullopt};
  if (!m_seenPlaying) return {false, -1};  // one that never starts stands still
  return {};                               // paused, or between states
}

}  // namespace glintora
