#pragma once
// Message boxes of the framework and the program (validation messages, errors a user must
// see) go through this seam, so that tests can record them instead of showing a modal box.

#include <windows.h>

#include <functional>
#include <string>

namespace glintora {

// Shows `text` with the style bits `type` (MB_OK, MB_ICONEXCLAMATION, ...) owned by `owner`;
// returns the button pressed (IDOK, ...).
using MessageBoxFunction = std::function<int(HWND owner, const std::string& text, UINT type)>;

// Replaces how message boxes are shown and returns the previous way; an empty function
// restores the system's message box, captioned with the application's name.
MessageBoxFunction ReplaceMessageBox(MessageBoxFunction function);

// Shows a message box through the current way.
int ShowMessageBox(HWND owner, const std::string& text, UINT type);

}  // namespace glintora
