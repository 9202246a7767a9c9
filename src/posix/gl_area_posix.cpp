// The off-screen OpenGL area on Linux: an OSMesa context rendering into a buffer of the
// target's size. Like a window's buffer swap, Present replaces the whole target with the
// rendered picture; OSMesa's rows run bottom-up in red, green, blue, alpha order, the
// target's top-down in blue, green, red.

#include <GL/osmesa.h>

#include <vector>

#include "core/image/gl_area.h"

namespace glintora {
namespace {

class OsMesaArea final : public GlArea {
 public:
  explicit OsMesaArea(CvxImageColor8& target) : m_target(target) {
    if (!target.HasPixels()) return;
    // 16 depth bits, as the window's pixel format asks for; no stencil or accumulation.
    m_context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    if (!m_context) return;
    m_buffer.resize(static_cast<size_t>(target.m_width) * target.m_height * 4);
    if (!OSMesaMakeCurrent(m_context, m_buffer.data(), GL_UNSIGNED_BYTE, target.m_width, target.m_height)) {
      OSMesaDestroyContext(m_context);
      m_context = nullptr;
    }
  }
  ~OsMesaArea() override { Release(); }
  OsMesaArea(const OsMesaArea&) = delete;
  OsMesaArea& operator=(const OsMesaArea&) = delete;

  bool HasContext() const override { return m_context != nullptr; }
  int SurfaceHeight() const override { return m_target.m_height; }

  void Present() override {
    if (!m_context) return;
    glFinish();  // the copy below reads what the renderer has finished
    const int width = m_target.m_width;
    const int height = m_target.m_height;
    for (int y = 0; y < height; ++y) {
      const uint8_t* in = m_buffer.data() + static_cast<size_t>(height - 1 - y) * width * 4;
      CvxColor8* out = m_target.Row(y);
      for (int x = 0; x < width; ++x, in += 4) out[x] = CvxColor8(in[2], in[1], in[0]);
    }
  }

  void Release() override {
    if (!m_context) return;
    OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    OSMesaDestroyContext(m_context);
    m_context = nullptr;
  }

 private:
  CvxImageColor8& m_target;
  OSMesaContext m_context = nullptr;
  std::vector<uint8_t> m_buffer;  // the rendering surface, bottom row first
};

}  // namespace

std::unique_ptr<GlArea> OpenOffscreenGlArea(CvxImageColor8& target) { return std::make_unique<OsMesaArea>(target); }

}  // namespace glintora
