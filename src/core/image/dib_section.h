#pragma once
// Pixel memory that the system can draw from directly: a DIB section on Windows. Elsewhere
// there is none, and images keep their pixels on the heap.

#include "core/image/bitmap_info.h"

namespace glintora {

struct DibSection {
  void* bits = nullptr;    // the section's pixel memory, zero-filled
  void* handle = nullptr;  // the bitmap handle that owns it; null when refused
};

// Creates a DIB section for `info` (no device context, RGB colours); all null when the
// system refuses or has none.
DibSection CreateDibSection(const BitmapInfo& info);
// Deletes a section made by CreateDibSection, releasing its bits.
void DeleteDibSection(void* handle);

}  // namespace glintora
