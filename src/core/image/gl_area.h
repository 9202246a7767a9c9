#pragma once
// The OpenGL rendering seam, beside the drawing device: an OpenGL context made current on
// the calling thread for one device, whose frames that device shows. On Windows it is a wgl
// context on the device context (CglArea); elsewhere an off-screen context renders into the
// memory device's image, so that the 3D transitions can be tested and measured without a
// window.

#include <memory>

#include "core/image/image.h"

namespace glintora {

class GlArea {
 public:
  virtual ~GlArea() = default;

  // True when a rendering context was made and is current on the calling thread; false
  // where the system has no OpenGL for the device (no pixel format, no context).
  virtual bool HasContext() const = 0;
  // Height in pixels of the surface the context draws on (OpenGL counts rows from its
  // bottom); 0 when it is not known.
  virtual int SurfaceHeight() const = 0;
  // Finishes the frame and puts it on the device (glFlush, then the buffer swap).
  virtual void Present() = 0;
  // Gives up the rendering context. The device itself stays with whoever got it.
  virtual void Release() = 0;
};

// An area rendering off screen into `target`, whose whole surface it is: Present copies the
// rendered pixels into it. Null where the platform has no off-screen OpenGL.
std::unique_ptr<GlArea> OpenOffscreenGlArea(CvxImageColor8& target);

}  // namespace glintora
