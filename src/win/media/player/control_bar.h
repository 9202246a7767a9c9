#pragma once
// The player's control bar along the bottom of a graph's video: the play button, the two
// edges, the seek bar and the mute button (laid out by LayOutControlBar). Its pieces are
// child windows of the player window, which receives their commands; the bar only shows.

#include <windows.h>

#include "win/framework/static_control.h"
#include "win/ui/bitmap_slider.h"
#include "win/ui/button_st.h"

namespace glintora {

// The control ids of the bar's pieces.
inline constexpr UINT kSeekBarId = 10001;
inline constexpr UINT kPlayButtonId = 10002;
inline constexpr UINT kMuteButtonId = 10003;
// The colour the bar's thumb and button pictures leave out.
inline constexpr COLORREF kBarTransparent = 0x8000FF;

class CControlBar {
 public:
  // Makes the pieces in the player window `player` of width × height: playing, and the seek
  // bar disabled until the movie is known to seek. The mute button shows its picture once
  // told the state (ShowMuted).
  void Create(HWND player, int width, int height);
  // Moves the pieces that exist to the bottom of a player of width × height.
  void Place(int width, int height);
  // The play button's picture: pause while playing, play while not.
  void ShowPlaying(bool playing);
  void ShowMuted(bool muted);

  bool HasSeekBar() const { return m_seekBar.m_hWnd != nullptr; }
  void EnableSeeking() { m_seekBar.Enable(true); }
  // Positions and marks on the seek bar's own scale (kSeekBarRange); kept while it has no
  // window too.
  int SeekPosition() const { return m_seekBar.GetPosition(); }
  void SetSeekPosition(int position) { m_seekBar.SetPosition(position); }
  void SetSeekMarks(int first, int last) { m_seekBar.SetMarks(first, last); }
  // Gives the seek bar the focus, where it exists.
  void FocusSeekBar();
  void DestroySeekBar() { m_seekBar.DestroyWindow(); }

  const CBitmapSlider& SeekBar() const { return m_seekBar; }
  const CButtonST& PlayButton() const { return m_playButton; }
  const CButtonST& MuteButton() const { return m_muteButton; }

 private:
  class EdgePicture : public CStatic {
   public:
    ~EdgePicture() override;
    // A static picture of the program's bitmap `id`, which it keeps until it goes.
    void Create(UINT bitmapId, const RECT& rect, HWND parent);

   private:
    HBITMAP m_bitmap = nullptr;
  };

  CButtonST m_playButton;
  EdgePicture m_leftEdge;
  CBitmapSlider m_seekBar;
  EdgePicture m_rightEdge;
  CButtonST m_muteButton;
};

}  // namespace glintora
