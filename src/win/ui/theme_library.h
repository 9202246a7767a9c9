#pragma once
// The system's visual styles, reached through the theme library's functions looked up at
// run time: systems without the library (or without styles switched on) draw the classic way.

#include <windows.h>

namespace glintora {

class ThemeLibrary {
 public:
  // The process's one instance; the library stays loaded until the process ends.
  static const ThemeLibrary& Get();

  // True when the application's windows are drawn with visual styles.
  bool IsAppThemed() const;
  // The theme data of `classList` for `window` (a wide class list such as L"TOOLBAR"), or
  // null when the window is not drawn with visual styles. Close it after use.
  HANDLE Open(HWND window, const wchar_t* classList) const;
  void Close(HANDLE theme) const;
  // Draws a part of the theme; false when it could not.
  bool DrawBackground(HANDLE theme, HDC dc, int part, int state, const RECT& rect) const;
  // The part's own size, or nothing ({0, 0}) when the theme does not tell.
  SIZE PartSize(HANDLE theme, HDC dc, int part, int state) const;

 private:
  ThemeLibrary();

  using IsAppThemedFn = BOOL(WINAPI*)();
  using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, const wchar_t*);
  using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
  using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
  using GetThemePartSizeFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, int, SIZE*);

  IsAppThemedFn m_isAppThemed = nullptr;
  OpenThemeDataFn m_openThemeData = nullptr;
  CloseThemeDataFn m_closeThemeData = nullptr;
  DrawThemeBackgroundFn m_drawThemeBackground = nullptr;
  GetThemePartSizeFn m_getThemePartSize = nullptr;
};

}  // namespace glintora
