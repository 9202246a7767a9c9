#pragma once
// The player's MCI engine: the MCI window (CMciWindow) playing a sound, or a video the graph
// could not play, inside the player window. A sound's window reports its mode changes, and
// its stop is its end; a video's tells nobody, so the progress watch finds its end: stopped
// after it played, when the caller did not pause it.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "win/media/mci/mci_window.h"
#include "win/media/player/player_engine.h"

namespace glintora {

class CMciEngine : public CPlayerEngine {
 public:
  CMciEngine(PlayerEngineHost& host, const PlayerSettings& settings) : m_host(host), m_settings(settings) {}

  // Opens `path` in an MCI window in the player window `player` and plays it: a sound with
  // mode notification, a video at width × height. False when it does not play.
  bool Open(HWND player, const std::string& path, bool sound, int width, int height);

  PlayerEngineKind Kind() const override { return PlayerEngineKind::Mci; }
  HWND Window() const override { return m_window.Handle(); }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool Pause() override;
  bool Play() override;
  void SetRepeat(bool repeat) override { m_window.SetRepeat(repeat); }
  void SetFullScreenAllowed(bool) override {}
  void SetForwardMouse(bool) override {}
  void SuppressStepButtons() override {}
  void ToggleFullScreen() override {}
  void Move(int width, int height) override { m_window.Move(width, height); }
  bool HasAudio() const override { return true; }
  // The MCI window's sound is left as it is.
  std::optional<long> Volume() const override { return std::nullopt; }
  void SetMute(bool, std::optional<long>) override {}
  // In milliseconds.
  int64_t Length() override { return m_window.LengthMilliseconds(); }
  int64_t LengthMilliseconds() override;
  int64_t FrameCount() override { return m_window.LengthFrames(); }
  int64_t FramePosition() override { return m_window.PositionFrames(); }
  double FrameRate() override;
  void SetSelection(int first, int last) override { m_window.PlayFrames(first, last); }
  bool SaveSelection(const std::string& target, int first, int last,
                     const std::function<void()>& letGoOfFile) override;
  bool Watched() const override { return true; }
  EngineProgress Progress() override;

 private:
  PlayerEngineHost& m_host;
  const PlayerSettings& m_settings;
  CMciWindow m_window;
  std::string m_path;
  bool m_seenPlaying = false;    // its stop after this is the end, unless asked to pause
  bool m_pausedByCaller = false;
};

}  // namespace glintora
