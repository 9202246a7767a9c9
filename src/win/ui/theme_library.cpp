#include "win/ui/theme_library.h"

#include "win/platform/system_library.h"

namespace glintora {
namespace {

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
  return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace

const ThemeLibrary& ThemeLibrary::Get() {
  static const ThemeLibrary library;
  return library;
}

ThemeLibrary::ThemeLibrary() {
  HMODULE library = LoadSystemLibrary("uxtheme.dll");
  m_isAppThemed = Lookup<IsAppThemedFn>(library, "IsAppThemed");
  m_openThemeData = Lookup<OpenThemeDataFn>(library, "OpenThemeData");
  m_closeThemeData = Lookup<CloseThemeDataFn>(library, "CloseThemeData");
  m_drawThemeBackground = Lookup<DrawThemeBackgroundFn>(library, "DrawThemeBackground");
  m_getThemePartSize = Lookup<GetThemePartSizeFn>(library, "GetThemePartSize");
}

bool ThemeLibrary::IsAppThemed() const { return m_isAppThemed && m_isAppThemed(); }

HANDLE ThemeLibrary::Open(HWND window, const wchar_t* classList) const {
  if (!IsAppThemed() || !m_openThemeData || !m_closeThemeData || !m_drawThemeBackground) return nullptr;
  return m_openThemeData(window, classList);
}

void ThemeLibrary::Close(HANDLE theme) const {
  if (theme && m_closeThemeData) m_closeThemeData(theme);
}

bool ThemeLibrary::DrawBackground(HANDLE theme, HDC dc, int part, int state, const RECT& rect) const {
  return theme && m_drawThemeBackground && SUCCEEDED(m_drawThemeBackground(theme, dc, part, state, &rect, nullptr));
}

SIZE ThemeLibrary::PartSize(HANDLE theme, HDC dc, int part, int state) const {
  constexpr int kTrueSize = 1;  // the part's size as drawn, not its minimum
  SIZE size{};
  if (!theme || !m_getThemePartSize || FAILED(m_getThemePartSize(theme, dc, part, state, nullptr, kTrueSize, &size))) {
    return {};
  }
  return size;
}

}  // namespace glintora
