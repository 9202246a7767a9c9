// DIB sections for the 8-bit images, so that drawing hands their bits to the system as they
// lie.

#include <windows.h>

#include "core/image/dib_section.h"

namespace glintora {

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(BitmapInfoHeader));

DibSection CreateDibSection(const BitmapInfo& info) {
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return {};
  }
  return {bits, bitmap};
}

void DeleteDibSection(void* handle) {
  if (handle) DeleteObject(static_cast<HBITMAP>(handle));
}

}  // namespace glintora
