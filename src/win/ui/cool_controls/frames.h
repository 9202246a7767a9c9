#pragma once
// The flat look's frames: one-pixel rings drawn with pens in system colours, each ring in
// two halves (top and left, bottom and right).

#include <windows.h>

namespace glintora {

// The colours of a two-ring frame, outer ring first.
struct FrameColours {
  COLORREF outerTopLeft;
  COLORREF innerTopLeft;
  COLORREF outerBottomRight;
  COLORREF innerBottomRight;
};

// How a control looks now.
struct FrameState {
  bool active = false;    // hot (the mouse is over it) or focused: three-dimensional
  bool disabled = false;
  bool pressed = false;   // a button held down
};

// A push button's four pens: the highlight colour (the button face when disabled); the 3D
// light when active, else the face; the dark shadow when active, else the shadow; the shadow
// when active, else the face. A pressed button is sunken.
FrameColours PushButtonColours(const FrameState& state);
// A border around a field of `background` (edits, lists, combo boxes, check boxes): a thin
// shadow line at rest, sunken when active.
FrameColours FieldColours(const FrameState& state, COLORREF background);

// One ring along the edge of `rect`: the top row and left column in `topLeft`, the right
// column and bottom row in `bottomRight`.
void DrawRing(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
// The outer ring along `rect` and the inner one just inside it.
void DrawFrame(HDC dc, const RECT& rect, const FrameColours& colours);
// One ring only (a one-pixel border): the outer colours.
void DrawThinFrame(HDC dc, const RECT& rect, const FrameColours& colours);
// The same frames around a circle inscribed in `rect` (radio buttons).
void DrawRoundFrame(HDC dc, const RECT& rect, const FrameColours& colours);

}  // namespace glintora
