// The front door's resource loading on Windows.

#include <windows.h>

#include "core/loaders/image_loader.h"

namespace glintora {

std::unique_ptr<CvxImage> CvxImageLoader::LoadFromResource(void* module, int id, const char* type) {
  auto* instance = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), type);
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(instance, found) : 0;
  // Decoded straight from the resource's bytes; a missing resource gives null.
  return LoadFromMemory(bytes, bytes ? size : 0);
}

std::unique_ptr<CvxImage> CvxImageLoader::LoadBitmapResource(int id) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return nullptr;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  std::unique_ptr<CvxImage> image = CreateImage(Color8, info.bmWidth, info.bmHeight, false);
  if (image && image->GetBitmap()) {
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, bitmap);
    HGDIOBJ oldTo = SelectObject(to, static_cast<HBITMAP>(image->GetBitmap()));
    BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    GdiFlush();
  } else {
    image.reset();
  }
  DeleteObject(bitmap);
  return image;
}

}  // namespace glintora
