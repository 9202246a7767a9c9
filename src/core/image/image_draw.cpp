// Drawing an 8-bit image onto a device through StretchDIBits.

#include <cmath>

#include "core/image/drawing_device.h"
#include "core/image/image.h"

namespace glintora {
namespace {

int Nearest(double v) { return static_cast<int>(std::floor(v + 0.5)); }

}  // namespace

void CvxImage::Draw(DrawingDevice& device, const RectF& source, const RectF& destination) const {
  if (!m_bitmapInfo || !HasPixels()) return;  // the 16-bit types cannot be drawn
  // Bitmap rows count from the bottom.
  const float top = static_cast<float>(m_height) - source.bottom;
  const float bottom = static_cast<float>(m_height) - std::trunc(source.top);
  const int sl = Nearest(source.left);
  const int st = Nearest(top);
  const int sr = Nearest(source.right);
  const int sb = Nearest(bottom);
  const int dl = Nearest(destination.left);
  const int dt = Nearest(destination.top);
  const int dr = Nearest(destination.right);
  const int db = Nearest(destination.bottom);
  device.SetStretchModeColorOnColor();
  device.StretchDIBits(dl, dt, dr - dl, db - dt, sl, st, sr - sl, sb - st, GetBits(), *m_bitmapInfo);
}

}  // namespace glintora
