#pragma once
// The product version a program file carries in its version resource.

#include <windows.h>

#include <string>

namespace glintora {

// "major.minor.build" of the product version of `module`'s file: the high and low 16 bits of
// the version's most significant word, then the high 16 bits of the least significant one.
// "0.0.0" when the file has no version resource.
std::string ProductVersionText(HMODULE module);

}  // namespace glintora
