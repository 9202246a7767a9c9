#pragma once
// The catalogue of the 101 transitions: identifier, display name, string resource and
// family. The identifier is what the settings' enabled flags are indexed by.

#include <cstdint>

namespace glintora {

// Number of transition identifiers (0 to 100), and of enabled flags in the settings.
inline constexpr int kTransitionCount = 101;

enum class TransitionFamily {
  Blend,      // kBlendId
  Rectangle,  // kFirstRectangleId to kLastRectangleId
  Mask,       // kFirstMaskId to kLastMaskId
  OpenGL,     // kFirstOpenGlId to kLastOpenGlId
};

// The identifiers of each family.
inline constexpr int kBlendId = 0;
inline constexpr int kFirstRectangleId = 1;
inline constexpr int kLastRectangleId = 54;
inline constexpr int kFirstMaskId = 55;
inline constexpr int kLastMaskId = 90;
inline constexpr int kFirstOpenGlId = 91;
inline constexpr int kLastOpenGlId = 100;

struct TransitionInfo {
  const char* name;  // the display name
  int stringId;      // its string resource
  TransitionFamily family;
};

// The entry for 0 ≤ id ≤ 100.
const TransitionInfo& GetTransitionInfo(int id);
inline bool IsTransitionId(int id) { return id >= 0 && id < kTransitionCount; }

}  // namespace glintora
