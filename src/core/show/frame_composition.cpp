#include "core/show/frame_composition.h"

#include <algorithm>

namespace glintora {
namespace {

// The smaller of the two factors that bring w × h to W × H.
double FitFactor(double W, double H, int w, int h) {
  const double a = W / w;
  const double b = H / h;
  return b > a ? a : b;
}

}  // namespace

void FrameComposer::SetGeometry(int left, int top, int right, int bottom, int screenWidth) {
  m_width = static_cast<double>(right) - left;
  m_height = static_cast<double>(bottom) - top;
  m_previewScale = screenWidth > 0 ? m_width / screenWidth : 1.0;
}

ImageSize FrameComposer::FittedSize(int width, int height) const {
  ImageSize size{width, height};
  // The same steps and float arithmetic as Scale: each factor a float, each side cut.
  const auto scale = [&size](double factor) {
    const auto s = static_cast<float>(factor);
    if (s == 1.0f) return;
    size.width = static_cast<int>(s * static_cast<float>(size.width));
    size.height = static_cast<int>(s * static_cast<float>(size.height));
  };
  if (size.width <= 0 || size.height <= 0) return size;
  if (size.width > m_width || size.height > m_height) scale(FitFactor(m_width, m_height, size.width, size.height));
  if (m_enlarge && size.width > 0 && size.height > 0 && (size.width < m_width || size.height < m_height)) {
    scale(FitFactor(m_width, m_height, size.width, size.height));
  }
  return size;
}

std::unique_ptr<CvxImage> FrameComposer::FitImage(const CvxImage& image, int targetWidth, int targetHeight) const {
  if (image.m_width <= 0 || image.m_height <= 0) return nullptr;
  // Scaling and pasting read the source and make new images, so the picture is copied only
  // when neither happens.
  std::unique_ptr<CvxImage> scaled;
  const CvxImage* current = &image;
  if (current->m_width > m_width || current->m_height > m_height) {
    const auto s = static_cast<float>(FitFactor(m_width, m_height, current->m_width, current->m_height));
    scaled = current->Scale(s, s, kBilinear);
    if (!scaled) return nullptr;
    current = scaled.get();
  }
  if (m_enlarge && (current->m_width < m_width || current->m_height < m_height)) {
    const auto s = static_cast<float>(FitFactor(m_width, m_height, current->m_width, current->m_height));
    scaled = current->Scale(s, s, kBilinear);
    if (!scaled) return nullptr;
    current = scaled.get();
  }
  if (targetWidth > 1 && targetHeight > 1 && (current->m_width != targetWidth || current->m_height != targetHeight)) {
    std::unique_ptr<CvxImage> canvas = CreateImage(Color8, targetWidth, targetHeight, true);
    if (!canvas || !canvas->HasPixels()) return nullptr;
    // Centred, a half pixel rounded up.
    const int x = static_cast<int>((targetWidth - current->m_width) / 2.0 + 0.5);
    const int y = static_cast<int>((targetHeight - current->m_height) / 2.0 + 0.5);
    canvas->Paste(current, x, y);
    return canvas;
  }
  return scaled ? std::move(scaled) : image.Clone();
}

std::unique_ptr<CvxImage> FrameComposer::Fit(std::unique_ptr<CvxImage> picture, int storedWidth,
                                             int storedHeight) const {
  // Grey, 16-bit and alpha pictures join the Color8 canvas the transitions work on.
  if (!picture || (picture->m_type != Color8 && !ConvertImage(picture, Color8)) || !picture) return nullptr;
  const bool reduced = storedWidth > 0 && storedHeight > 0 &&
                       (picture->m_width != storedWidth || picture->m_height != storedHeight);
  if (!reduced) return FitImage(*picture, 0, 0);
  const ImageSize fitted = FittedSize(storedWidth, storedHeight);
  return picture->Resize(fitted.width, fitted.height, kBilinear);
}

void FrameComposer::ShowBlank() {
  m_frame.reset();
  // A black picture the size of the window: the next common canvas covers the whole window.
  m_lastPicture = CreateImage(Color8, static_cast<int>(m_width), static_cast<int>(m_height), true);
  if (m_lastPicture && !m_lastPicture->HasPixels()) m_lastPicture.reset();
}

std::unique_ptr<CvxImage> FrameComposer::Place(std::unique_ptr<CvxImage> fitted) {
  m_frame.reset();
  if (!fitted) return nullptr;
  const int commonWidth = std::max(fitted->m_width, m_lastPicture ? m_lastPicture->m_width : 0);
  const int commonHeight = std::max(fitted->m_height, m_lastPicture ? m_lastPicture->m_height : 0);
  std::unique_ptr<CvxImage> from;
  if (m_lastPicture) {
    from = FitImage(*m_lastPicture, commonWidth, commonHeight);
    m_lastPicture.reset();
  }
  m_frame = FitImage(*fitted, commonWidth, commonHeight);
  m_lastPicture = std::move(fitted);
  // Cut toward zero, unlike the canvas offsets.
  m_frameX = static_cast<int>((m_width - commonWidth) / 2);
  m_frameY = static_cast<int>((m_height - commonHeight) / 2);
  return from;
}

}  // namespace glintora
