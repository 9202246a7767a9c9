#pragma once
// The cameras and the ten scenes of the 3D transitions (identifiers 91 to 100), drawn with
// OpenGL 1.1 calls on the current context. Both frames are textures whose t = 0 is the
// picture's bottom row.

#include <array>

namespace glintora {

inline constexpr int kFirstGlTransition = 91;
inline constexpr int kLastGlTransition = 100;

struct GlScene {
  int id = kFirstGlTransition;
  float aspect = 1.0f;      // a = area width / area height
  unsigned oldTexture = 0;  // texture names
  unsigned newTexture = 0;
  std::array<int, 10> random{};  // r0 to r9, drawn once per transition
};

// The camera of `id` for an aw × ah viewport: the flat projection of 91, or the perspective
// of 92 to 100 in which a quad of half-size (a, 1) at distance 5 exactly fills the viewport.
// Builds display list 1 (one quad showing a whole texture), sets blending and depth testing
// for the scene and selects the model-view matrix.
void SetUpGlCamera(int id, int aw, int ah);

// Clears the buffers and draws the scene for progress p (0 to 1).
void DrawGlScene(const GlScene& scene, float p);

}  // namespace glintora
