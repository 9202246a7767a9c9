#pragma once
// Classification of a screen saver's command line into its modes.

#include <cstdint>
#include <string_view>

namespace glintora {

enum SaverMode : int32_t {
  ModeUnknown = 0,         // any other switch
  ModeConfigure = 1,       // no switch, or /c[:window]
  ModeChangePassword = 2,  // /a window
  ModePreview = 3,         // /p window or /l window
  ModeRun = 4,             // /s
};

struct SaverCommand {
  SaverMode mode = ModeUnknown;
  // The window handle the switch names, as the signed 32-bit number written after it
  // (sign-extended as window handles are); zero unless the mode takes one.
  intptr_t window = 0;
};

// Classifies `line` (the whole process command line, program name first), byte by byte
// without locale. `foregroundWindow` is called only for a /c with nothing after it.
SaverCommand ClassifyCommandLine(std::string_view line, intptr_t (*foregroundWindow)());

}  // namespace glintora
