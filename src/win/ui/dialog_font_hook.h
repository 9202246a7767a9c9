#pragma once
// The dialog font of older systems: while installed for a thread, every dialog of that
// thread gives its controls the face "Tahoma" when it is initialised, at 8.5 points for a
// top-level dialog; a nested dialog page keeps its own font size and takes only the face.

#include <windows.h>

#include <vector>

namespace glintora {

inline constexpr const char* kDialogFontFace = "Tahoma";
inline constexpr int kDialogFontTenthsOfPoint = 85;

class DialogFontHook {
 public:
  DialogFontHook() = default;
  ~DialogFontHook() { Remove(); }
  DialogFontHook(const DialogFontHook&) = delete;
  DialogFontHook& operator=(const DialogFontHook&) = delete;

  // Hooks the calling thread (one hook per thread); false when it could not.
  bool Install();
  // Unhooks and releases the fonts; controls still using them must be gone by now.
  void Remove();
  bool Installed() const { return m_hook != nullptr; }

 private:
  static LRESULT CALLBACK BeforeMessage(int code, WPARAM wParam, LPARAM lParam);
  // Sets the font of `dialog`'s controls.
  void Apply(HWND dialog);

  HHOOK m_hook = nullptr;
  HFONT m_font = nullptr;          // owned; top-level dialogs' font
  std::vector<HFONT> m_pageFonts;  // owned; the fonts made for nested pages
};

}  // namespace glintora
