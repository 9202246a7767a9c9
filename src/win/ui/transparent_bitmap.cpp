#include "win/ui/transparent_bitmap.h"

#include "win/framework/win_app.h"

namespace glintora {
namespace {

// A memory device context holding one bitmap for its lifetime.
class BitmapDC {
 public:
  explicit BitmapDC(HBITMAP bitmap) : m_dc(CreateCompatibleDC(nullptr)), m_old(SelectObject(m_dc, bitmap)) {}
  ~BitmapDC() {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
  }
  BitmapDC(const BitmapDC&) = delete;
  BitmapDC& operator=(const BitmapDC&) = delete;
  operator HDC() const { return m_dc; }

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

}  // namespace

void CvxTransparentBitmap::Clear() {
  if (m_image) DeleteObject(m_image);
  if (m_mask) DeleteObject(m_mask);
  m_image = m_mask = nullptr;
  m_size = {};
}

bool CvxTransparentBitmap::Load(UINT id, COLORREF transparent) {
  // A DIB section keeps the resource's exact colours, so the transparent one matches exactly.
  // Attached even when missing: a failed load lets the picture from before go too.
  return Attach(static_cast<HBITMAP>(
                    LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)),
                transparent);
}

bool CvxTransparentBitmap::Attach(HBITMAP bitmap, COLORREF transparent) {
  Clear();
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
    if (bitmap) DeleteObject(bitmap);
    return false;
  }
  m_image = bitmap;
  m_size = {info.bmWidth, info.bmHeight};
  m_mask = CreateBitmap(m_size.cx, m_size.cy, 1, 1, nullptr);
  BitmapDC image(m_image);
  BitmapDC mask(m_mask);
  if (transparent == CLR_INVALID) {
    PatBlt(mask, 0, 0, m_size.cx, m_size.cy, BLACKNESS);  // every pixel opaque
    return true;
  }
  // Colour to monochrome: the pixels of the source's background colour become 1.
  SetBkColor(image, transparent);
  BitBlt(mask, 0, 0, m_size.cx, m_size.cy, image, 0, 0, SRCCOPY);
  // Monochrome to colour: 1 becomes the background colour (black), 0 the text colour
  // (white); AND leaves the opaque pixels and blackens the transparent ones.
  SetBkColor(image, RGB(0, 0, 0));
  SetTextColor(image, RGB(255, 255, 255));
  BitBlt(image, 0, 0, m_size.cx, m_size.cy, mask, 0, 0, SRCAND);
  return true;
}

void CvxTransparentBitmap::Draw(HDC dc, int x, int y, int width, int height) const {
  DrawPart(dc, x, y, width == -1 ? m_size.cx : width, height == -1 ? m_size.cy : height, 0, 0, m_size.cx, m_size.cy);
}

void CvxTransparentBitmap::DrawPart(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY,
                                    int sourceWidth, int sourceHeight) const {
  if (!m_image || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  BitmapDC image(m_image);
  BitmapDC mask(m_mask);
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  // The mask keeps the destination where transparent (white) and clears it elsewhere.
  StretchBlt(dc, x, y, width, height, mask, sourceX, sourceY, sourceWidth, sourceHeight, SRCAND);
  StretchBlt(dc, x, y, width, height, image, sourceX, sourceY, sourceWidth, sourceHeight, SRCPAINT);
  SetStretchBltMode(dc, oldMode);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

}  // namespace glintora
