#pragma once
// A push button drawn from bitmaps: owner-drawn, it shows its bitmap without the pixels of a
// transparent colour on a flat face that lightens while the mouse is over it, sinks by a
// pixel while pressed and shows a focus rectangle while it has the focus. A second bitmap,
// when given, replaces the first while the mouse is over the button.

#include <windows.h>

#include "win/framework/button.h"
#include "win/ui/transparent_bitmap.h"

namespace glintora {

class CButtonST : public CButton {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // The face's colours: at rest and under the mouse.
  static constexpr COLORREF kFace = RGB(40, 40, 44);
  static constexpr COLORREF kHotFace = RGB(64, 64, 70);

  // Creates the owner-drawn button as child `id` of `parent`.
  BOOL Create(const RECT& rect, HWND parent, UINT id);
  // The program's bitmap `id` (and `hotId` under the mouse; 0 for none), drawn without the
  // pixels of their transparent colours. False when a bitmap is missing; the button then has
  // none in its place (and BitmapId() is 0 when it is the first).
  bool SetButtonBitmaps(UINT id, COLORREF transparent, UINT hotId = 0, COLORREF hotTransparent = 0);
  UINT BitmapId() const { return m_bitmapId; }
  bool MouseOver() const { return m_mouseOver; }

 protected:
  LRESULT OnDrawItem(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }

 private:
  CvxTransparentBitmap m_bitmap;
  CvxTransparentBitmap m_hotBitmap;
  UINT m_bitmapId = 0;
  bool m_mouseOver = false;
};

}  // namespace glintora
