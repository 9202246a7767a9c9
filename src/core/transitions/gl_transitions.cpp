// Set-up, frame loop and tear-down of the OpenGL family. The stopwatch starts before the
// texture uploads and their time counts against the duration; each frame is presented
// before the continue callback is asked.

#include "core/transitions/gl_transitions.h"

#include <algorithm>
#include <cstdlib>

#include "core/base/random.h"
#include "core/transitions/engine.h"
#include "core/transitions/gl_api.h"
#include "core/transitions/gl_scenes.h"
#include "core/transitions/pacing.h"

namespace glintora {
namespace {

constexpr int kLargestTexture = 2048;

// What one run sets up on the device, undone when the run ends however it ends: the
// textures and the display list go, the context is released, then the device's viewport
// origin comes back. The device itself is never released here.
class GlStage {
 public:
  explicit GlStage(DrawingDevice& device) : m_device(device) {
    // OpenGL draws in window coordinates: the origin the caller chose is kept aside.
    m_device.GetViewportOrigin(m_originX, m_originY);
    m_device.SetViewportOrigin(0, 0);
    m_area = m_device.OpenGlArea();
  }
  ~GlStage() {
    if (Ready()) {
      if (m_texturesMade) glDeleteTextures(2, m_textures);
      glDeleteLists(1, 1);
    }
    if (m_area) m_area->Release();
    m_device.SetViewportOrigin(m_originX, m_originY);
  }
  GlStage(const GlStage&) = delete;
  GlStage& operator=(const GlStage&) = delete;

  bool Ready() const { return m_area && m_area->HasContext(); }
  GlArea& Area() { return *m_area; }
  int OriginX() const { return m_originX; }
  int OriginY() const { return m_originY; }

  void MakeTextures() {
    glGenTextures(2, m_textures);
    m_texturesMade = true;
  }
  GLuint OldTexture() const { return m_textures[0]; }
  GLuint NewTexture() const { return m_textures[1]; }

 private:
  DrawingDevice& m_device;
  int m_originX = 0;
  int m_originY = 0;
  std::unique_ptr<GlArea> m_area;
  GLuint m_textures[2] = {0, 0};
  bool m_texturesMade = false;
};

// Uploads the size × size copy of `frame` as `texture`, its bottom row first so that t = 0
// is the picture's bottom. False when the copy could not be made.
bool UploadTexture(GLuint texture, const CvxImageColor8& frame, int size, const TextureCopier& copier) {
  std::unique_ptr<CvxImage> copy = copier(frame, size);
  if (!copy || !copy->HasPixels()) return false;
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, size, size, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, copy->GetBits());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return true;
}

}  // namespace

std::unique_ptr<CvxImage> BilinearTextureCopy(const CvxImageColor8& frame, int size) {
  return frame.Resize(size, size, kBilinear);
}

int GlTextureSize(int width, int height) {
  const int larger = std::max(width, height);
  int size = 2;
  while (size < kLargestTexture && 2 * size < larger) size *= 2;
  return size;
}

bool RunGlTransition(DrawingDevice& device, const IntRect& area, const CvxImageColor8& oldFrame,
                     const CvxImageColor8& newFrame, int id, float seconds, ContinueCallback callback, void* context,
                     const TransitionOptions& options) {
  const int aw = area.right - area.left;
  const int ah = area.bottom - area.top;
  if (aw <= 0 || ah <= 0) return true;  // nothing to animate; the final frame follows

  GlStage stage(device);
  // Without OpenGL on this device the transition ends at once on the final frame.
  if (!stage.Ready()) return true;
  glEnable(GL_TEXTURE_2D);
  stage.MakeTextures();
  const int size = GlTextureSize(aw, ah);

  FramePacer pacer(seconds, *options.clock, /*stopOnReachingOne=*/false);
  pacer.Start();
  if (!UploadTexture(stage.OldTexture(), oldFrame, size, options.textureCopy) ||
      !UploadTexture(stage.NewTexture(), newFrame, size, options.textureCopy)) {
    return true;
  }

  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glShadeModel(GL_SMOOTH);
  // OpenGL counts rows from the surface's bottom: the scene covers exactly the rectangle
  // where the frame stands on the device, whatever the margins below and above it.
  const int left = std::abs(stage.OriginX()) + area.left;
  const int top = std::abs(stage.OriginY()) + area.top;
  const int surfaceHeight = stage.Area().SurfaceHeight();
  glViewport(left, surfaceHeight > 0 ? surfaceHeight - top - ah : top, aw, ah);
  SetUpGlCamera(id, aw, ah);

  pacer.DeductElapsed();
  GlScene scene;
  scene.id = id;
  scene.aspect = static_cast<float>(aw) / static_cast<float>(ah);
  scene.oldTexture = stage.OldTexture();
  scene.newTexture = stage.NewTexture();
  for (int& r : scene.random) r = NextRandom();

  do {
    DrawGlScene(scene, pacer.Progress());
    stage.Area().Present();
    if (callback && !callback(context)) return false;
  } while (pacer.Advance());
  return true;
}

}  // namespace glintora
