#pragma once
// A bitmap drawn without the pixels of one colour: a monochrome mask of those pixels clears
// the destination where the picture is opaque, and the picture (its transparent pixels made
// black) is then added there.

#include <windows.h>

namespace glintora {

class CvxTransparentBitmap {
 public:
  CvxTransparentBitmap() = default;
  ~CvxTransparentBitmap() { Clear(); }
  CvxTransparentBitmap(const CvxTransparentBitmap&) = delete;
  CvxTransparentBitmap& operator=(const CvxTransparentBitmap&) = delete;

  // Loads the program's bitmap resource `id` in place of the one it had; pixels of colour
  // `transparent` are left out when drawing (none with CLR_INVALID). False when there is no
  // such bitmap: the object is then empty, never left with the picture from before.
  bool Load(UINT id, COLORREF transparent);
  // The same for a bitmap the object takes over (null: none, which empties it).
  bool Attach(HBITMAP bitmap, COLORREF transparent);

  // Draws at (x, y); a width and height of -1 mean the bitmap's own size, others stretch it.
  void Draw(HDC dc, int x, int y, int width = -1, int height = -1) const;
  // Draws the part (sourceX, sourceY, sourceWidth, sourceHeight) of the bitmap stretched to
  // (x, y, width, height).
  void DrawPart(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight) const;
  SIZE Size() const { return m_size; }
  bool Loaded() const { return m_image != nullptr; }

 private:
  void Clear();

  HBITMAP m_image = nullptr;  // owned; transparent pixels black
  HBITMAP m_mask = nullptr;   // owned; 1 where the picture is transparent
  SIZE m_size{};
};

}  // namespace glintora
