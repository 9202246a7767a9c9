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

  // The size a picture of width × height takes in the window: the size FitImage gives it
  // (shrunk to fit, or enlarged when m_enlarge is set, each step cut to whole pixels).
  ImageSize FittedSize(int width, int height) const;

  // A loaded picture as the window shows it, without padding: Color8, fitted. A picture
  // decoded reduced from a stored size of `storedWidth` × `storedHeight` is resampled once to
  // the size the stored picture fits to, so it stands exactly where the whole one would.
  // Null when it cannot be converted or fitted. Reads only the geometry: any thread may
  // call it while the window's thread places another picture.
  std::unique_ptr<CvxImage> Fit(std::unique_ptr<CvxImage> picture, int storedWidth = 0, int storedHeight = 0) const;

  // Takes a fitted picture: makes m_frame the new canvas and m_lastPicture the picture, and
  // sets the frame position. Returns the previous picture on the same canvas (none when
  // there was no previous picture), which the transition starts from. A null picture
  // leaves m_frame empty.
  std::unique_ptr<CvxImage> Place(std::unique_ptr<CvxImage> fitted);

  // Fit, then Place.
  std::unique_ptr<CvxImage> Compose(std::unique_ptr<CvxImage> picture) { return Place(Fit(std::move(picture))); }

  // A composer with this one's geometry and no pictures, to fit pictures elsewhere.
  FrameComposer GeometryOnly() const {
    FrameComposer copy;
    copy.m_enlarge = m_enlarge;
    copy.m_width = m_width;
    copy.m_height = m_height;
    copy.m_previewScale = m_previewScale;
    return copy;
  }

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
