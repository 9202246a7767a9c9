#pragma once
// A slider drawn from bitmaps: a channel (stretched between its ends to the control's width)
// and a thumb, each in a normal and an active form (active while the mouse is over the
// slider or drags it), with optional transparent colours, and two marks for a selection.
// Dragging the thumb posts WM_BITMAPSLIDER_MOVING to the parent at each change of position
// and WM_BITMAPSLIDER_MOVED at the release, both with the control id and the position.

#include <windows.h>

#include "core/ui/slider_scale.h"
#include "win/framework/static_control.h"
#include "win/ui/transparent_bitmap.h"

namespace glintora {

inline constexpr UINT WM_BITMAPSLIDER_MOVING = WM_USER + 9425;
inline constexpr UINT WM_BITMAPSLIDER_MOVED = WM_USER + 9426;

class CBitmapSlider : public CStatic {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Creates the slider as child `id` of `parent` with `style` (a static control's).
  BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

  // The program's bitmaps; with `transparent`, the pixels of `colour` are left out. False
  // when one is missing.
  bool SetChannelBitmaps(UINT normalId, UINT activeId, bool transparent = false, COLORREF colour = 0);
  bool SetThumbBitmaps(UINT normalId, UINT activeId, bool transparent = false, COLORREF colour = 0);
  void SetRange(int minimum, int maximum, bool redraw = true);
  void SetPosition(int position);
  int GetPosition() const { return m_position; }
  // The selection's ends, in the range's units; a mark below the minimum is not drawn.
  void SetMarks(int first, int last);
  void Enable(bool enable);
  bool IsEnabled() const { return m_enabled; }
  bool Dragging() const { return m_dragging; }
  // Pixels at each end of the channel that the thumb's centre does not enter.
  void SetMargin(int margin) { m_margin = margin; }

 protected:
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }
  LRESULT OnButtonDown(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnButtonUp(WPARAM, LPARAM);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  LRESULT OnCaptureChanged(WPARAM, LPARAM);

 private:
  SliderGeometry Geometry() const;
  // Moves the thumb under `x`; posts MOVING when the position changed.
  void DragTo(int x);
  void EndDrag(bool notify);
  void Redraw() const;

  CvxTransparentBitmap m_channel;
  CvxTransparentBitmap m_channelActive;
  CvxTransparentBitmap m_thumb;
  CvxTransparentBitmap m_thumbActive;
  int m_minimum = 0;
  int m_maximum = 100;
  int m_position = 0;
  int m_markFirst = -1;
  int m_markLast = -1;
  int m_margin = 0;
  bool m_enabled = true;
  bool m_dragging = false;
  bool m_hot = false;
};

}  // namespace glintora
