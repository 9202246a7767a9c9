#pragma once
// The web pages the program links to, in one place.

namespace glintora {

// The program's own page (the options dialog's "Web site" link).
inline constexpr const char* kProgramWebPage = "https://www.vostrand.example/glintora/";
// The page of the imaging program the options dialog's banner tells about.
inline constexpr const char* kImagingProgramWebPage = "https://www.vostrand.example/tellurio/";

}  // namespace glintora
