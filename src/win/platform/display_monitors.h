#pragma once
// The monitors of the desktop.

#include <windows.h>

#include <vector>

namespace glintora {

// Each monitor's rectangle in virtual-screen pixels, the primary first, the others in the
// system's order. Never empty: when the system names none, the primary screen's size.
std::vector<RECT> DisplayMonitors();

// True for a window of this process: a switch of activation to it is not the user leaving.
bool IsOwnProcessWindow(HWND window);

}  // namespace glintora
