#pragma once
// Fitting pictures to the slide-show window and bringing the previous and the new picture to
// one common canvas, so that a transition animates between two Color8 images of equal size
// drawn at one position on the window.

#include <memory>

#include "core/image/image.h"

namespace glintora {

class FrameComposer {
 public:
  // Geometry from the rectangle the window was created with; `screenWidth` is the primary
  // screen's width (the preview is a fraction of it).
  void SetGeometry(int left, int top, int right, int bottom, int screenWidth);

  // A new picture fitted to the window: shrunk to fit, or enlarged when `enlarge` is set, the
  // aspect kept. With targets above 1 it is centred on a black Color8 canvas of that size
  // (unless it already has that size). `image` stays the caller's.
  std::unique_ptr<CvxImage> FitImage(const CvxImage& image, int targetWidth, int targetHeight) const;

  // Takes a loaded picture: fits it, makes m_frame the new canvas and m_lastPicture the
  // fitted picture, and sets the frame position. Returns the previous picture on the same
  // canvas (none when there was no previous picture), which the transition starts from.
  // A picture that cannot be converted or fitted leaves m_frame empty.
  std::unique_ptr<CvxImage> Compose(std::unique_ptr<CvxImage> picture);

  // Forgets the previous picture (the picture after a movie comes without a transition).
  void ForgetLastPicture() { m_lastPicture.reset(); }

  // Nothing to present: the window shows black, and the next picture's transition starts
  // from that black window rather than from the picture shown before it.
  void ShowBlank();

  bool m_enlarge = false;      // enlarge pictures smaller than the window
  double m_width = 0;          // width of the creation rectangle
  double m_height = 0;         // height of the creation rectangle
  double m_previewScale = 1;   // m_width over the screen width
  int m_frameX = 0;            // window position of the canvas's top-left corner
  int m_frameY = 0;
  std::unique_ptr<CvxImage> m_frame;        // the canvas being presented
  std::unique_ptr<CvxImage> m_lastPicture;  // the previous picture, fitted, without padding
};

}  // namespace glintora
