#pragma once
// What a window shows, read back from the screen into a Color8 image.

#include <windows.h>

#include <memory>

#include "core/image/image.h"

namespace glintora::testing {

// The area at (x, y) of `window`'s client area (of the screen when `window` is null).
inline std::unique_ptr<CvxImageColor8> CaptureArea(HWND window, int x, int y, int width, int height) {
  auto image = NewImage<CvxColor8>(width, height, true);
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ old = SelectObject(memory, static_cast<HBITMAP>(image->GetBitmap()));
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(window, source);
  GdiFlush();
  return image;
}

inline std::unique_ptr<CvxImageColor8> CaptureWindow(HWND window, int width, int height) {
  return CaptureArea(window, 0, 0, width, height);
}

}  // namespace glintora::testing
