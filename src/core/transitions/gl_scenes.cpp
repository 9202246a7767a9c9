// The ten 3D scenes. Angles are in degrees. In the perspective scenes the projection is
// turned by 180 degrees about the viewing axis, so texture coordinates run opposite to x and
// y on every quad, which the projection puts upright again.

#include "core/transitions/gl_scenes.h"

#include <cmath>
#include <utility>

#include "core/transitions/gl_api.h"

namespace glintora {
namespace {

constexpr GLuint kWholeQuadList = 1;
constexpr int kFlatFade = 91;
constexpr int kCube = 92;
constexpr int kHorizontalFlip = 93;
constexpr int kVerticalFlip = 94;
constexpr int kProgressiveHorizontalFlip = 95;
constexpr int kProgressiveVerticalFlip = 96;
constexpr int kHorizontalTilesFlip = 97;
constexpr int kVerticalTilesFlip = 98;
constexpr int kTunnelWarp = 99;

// One corner of a polygon: texture coordinates, then the vertex.
struct Corner {
  float s, t;
  float x, y, z = 0.0f;
};

// One polygon with texture coordinates at its four corners.
void Corners(const Corner (&corners)[4]) {
  glBegin(GL_POLYGON);
  for (const Corner& c : corners) {
    glTexCoord2f(c.s, c.t);
    glVertex3f(c.x, c.y, c.z);
  }
  glEnd();
}

void Polygon(GLuint texture, const Corner (&corners)[4]) {
  glBindTexture(GL_TEXTURE_2D, texture);
  Corners(corners);
}

void WholeQuad(GLuint texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
  glCallList(kWholeQuadList);
}

// −1 when r0 is even, +1 when it is odd.
float FlipSign(const GlScene& scene) { return scene.random[0] % 2 == 0 ? -1.0f : 1.0f; }

void DrawFade(const GlScene& scene, float p) {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f - p);
  WholeQuad(scene.oldTexture);
  glColor4f(1.0f, 1.0f, 1.0f, p);
  WholeQuad(scene.newTexture);
}

// The old picture is the front of a box; the new one an adjacent face that turns to the
// front while the box moves back by up to 5 units and returns.
void DrawCube(const GlScene& scene, float p) {
  const float a = scene.aspect;
  const float d = p < 0.5f ? 10.0f * p : 10.0f * (1.0f - p);
  switch (scene.random[0] % 4) {
    case 0: {
      glTranslatef(0.0f, p, -p - d);
      glRotatef(-90.0f * p, 1.0f, 0.0f, 0.0f);
      WholeQuad(scene.oldTexture);
      Polygon(scene.newTexture, {{1, 0, -a, -1, 0}, {1, 1, -a, -1, -2}, {0, 1, a, -1, -2}, {0, 0, a, -1, 0}});
      break;
    }
    case 1: {
      glTranslatef(a * p, 0.0f, -a * p - d);
      glRotatef(90.0f * p, 0.0f, 1.0f, 0.0f);
      WholeQuad(scene.oldTexture);
      Polygon(scene.newTexture, {{1, 0, -a, 1, -2 * a}, {1, 1, -a, -1, -2 * a}, {0, 1, -a, -1, 0}, {0, 0, -a, 1, 0}});
      break;
    }
    case 2: {
      glTranslatef(0.0f, -p, -p - d);
      glRotatef(90.0f * p, 1.0f, 0.0f, 0.0f);
      WholeQuad(scene.oldTexture);
      Polygon(scene.newTexture, {{1, 0, -a, 1, -2}, {1, 1, -a, 1, 0}, {0, 1, a, 1, 0}, {0, 0, a, 1, -2}});
      break;
    }
    default: {
      glTranslatef(-a * p, 0.0f, -a * p - d);
      glRotatef(-90.0f * p, 0.0f, 1.0f, 0.0f);
      WholeQuad(scene.oldTexture);
      Polygon(scene.newTexture, {{1, 0, a, 1, 0}, {1, 1, a, -1, 0}, {0, 1, a, -1, -2 * a}, {0, 0, a, 1, -2 * a}});
      break;
    }
  }
}

// One card turned half a turn: the old picture in front, the new one mirrored on its back
// so that it reads correctly once turned.
void DrawFlip(const GlScene& scene, float p) {
  const float a = scene.aspect;
  const bool horizontal = scene.id == kHorizontalFlip;
  glRotatef(FlipSign(scene) * 180.0f * p, horizontal ? 0.0f : 1.0f, horizontal ? 1.0f : 0.0f, 0.0f);
  if (p < 0.5f) {
    WholeQuad(scene.oldTexture);
  } else if (horizontal) {
    Polygon(scene.newTexture, {{1, 0, a, 1}, {1, 1, a, -1}, {0, 1, -a, -1}, {0, 0, -a, 1}});
  } else {
    Polygon(scene.newTexture, {{0, 1, a, 1}, {0, 0, a, -1}, {1, 0, -a, -1}, {1, 1, -a, 1}});
  }
}

// n × n tiles, each turning half a turn in its own time window. 95 and 96 turn every tile
// about the picture's central axis, the wave running from the bottom left tile to the top
// right one; 97 and 98 turn each tile about its own centre.
void DrawTiles(const GlScene& scene, float p) {
  const float a = scene.aspect;
  const bool progressive = scene.id == kProgressiveHorizontalFlip || scene.id == kProgressiveVerticalFlip;
  const bool aboutX = scene.id == kProgressiveHorizontalFlip || scene.id == kHorizontalTilesFlip;
  const int n = progressive ? 20 : 6;
  const float nf = static_cast<float>(n);
  const float sign = FlipSign(scene);
  for (int i = 0; i < n; ++i) {    // rows, from the picture's bottom
    for (int j = 0; j < n; ++j) {  // columns, from its left
      float s0 = static_cast<float>(j) / nf;
      float s1 = static_cast<float>(j + 1) / nf;
      float t0 = static_cast<float>(i) / nf;
      float t1 = static_cast<float>(i + 1) / nf;
      const float q = static_cast<float>(i + j) / static_cast<float>(3 * n - 3);
      const float start = progressive ? q * 0.5f : q * 2.0f / 3.0f;
      const float end = progressive ? 1.0f : start + (1.0f - start) * 0.5f;

      glPushMatrix();
      if (!progressive) glTranslatef(-a * (2 * s0 - 1 + 1 / nf), -(2 * t0 - 1 + 1 / nf), 0.0f);
      GLuint texture = scene.oldTexture;
      bool back = false;
      if (p > end) {
        texture = scene.newTexture;
      } else if (p >= start) {
        back = p >= (start + end) / 2;
        if (back) texture = scene.newTexture;
        glRotatef(sign * (p - start) / (end - start) * 180.0f, aboutX ? 1.0f : 0.0f, aboutX ? 0.0f : 1.0f, 0.0f);
      }
      // Vertices from the texture coordinates still unmirrored.
      float x0, x1, y0, y1;
      if (progressive) {
        x0 = -a * (2 * s0 - 1);
        x1 = -a * (2 * s1 - 1);
        y0 = -(2 * t0 - 1);
        y1 = -(2 * t1 - 1);
      } else {
        x0 = a / nf;
        x1 = -a / nf;
        y0 = 1 / nf;
        y1 = -1 / nf;
      }
      // The back shows the new picture mirrored across the turning axis.
      if (back) {
        switch (scene.id) {
          case kProgressiveHorizontalFlip:
            t0 = 1 - t0;
            t1 = 1 - t1;
            break;
          case kProgressiveVerticalFlip:
            s0 = 1 - s0;
            s1 = 1 - s1;
            break;
          case kHorizontalTilesFlip: std::swap(t0, t1); break;
          default: std::swap(s0, s1); break;
        }
      }
      Polygon(texture, {{s0, t0, x0, y0}, {s0, t1, x0, y1}, {s1, t1, x1, y1}, {s1, t0, x1, y0}});
      glPopMatrix();
    }
  }
}

int Sign(double v) { return (v > 0) - (v < 0); }

// The old picture in 20 × 20 pieces: 99 flies them towards and past the viewer while
// the new picture comes from behind the far plane; 100 scatters and shrinks them in front
// of the new picture.
void DrawPieces(const GlScene& scene, float p) {
  const float a = scene.aspect;
  const bool tunnel = scene.id == kTunnelWarp;
  glPushMatrix();
  for (int i = 0; i < 20; ++i) {
    for (int j = 0; j < 20; ++j) {
      const float t0 = 0.05f * static_cast<float>(i);
      const float t1 = 0.05f * static_cast<float>(i + 1);
      const float s0 = 0.05f * static_cast<float>(j);
      const float s1 = 0.05f * static_cast<float>(j + 1);
      float dx = 0.0f, dy = 0.0f, z = 0.0f, scale = 1.0f;
      if (tunnel) {
        z = std::pow(3.0f * p, 1.5f);
        scale = std::pow(1.0f - 0.8333333f * p, 1.5f);
      } else {
        // Whole numbers taken as radians.
        const int angleA = (scene.random[static_cast<size_t>((i + j) % 10)] + 1) * (i + j);
        const int angleB = (scene.random[static_cast<size_t>((i * j) % 10)] + 1) * (j - i);
        const double sinA = std::sin(static_cast<double>(angleA));
        const double sinB = std::sin(static_cast<double>(angleB));
        dx = -a * p * p * static_cast<float>(Sign(sinA) * (1 + std::fabs(sinA)));
        dy = -a * p * p * static_cast<float>(Sign(sinB) * (1 + std::fabs(sinB)));
        scale = 1.0f - p * p;
      }
      glPushMatrix();
      glTranslatef(-a * (2 * s0 - 0.95f) + dx * p, -(2 * t0 - 0.95f) + dy * p, z);
      glScalef(scale, scale, 1.0f);
      Polygon(scene.oldTexture, {{s0, t0, 0.05f * a, 0.05f},
                                 {s0, t1, 0.05f * a, -0.05f},
                                 {s1, t1, -0.05f * a, -0.05f},
                                 {s1, t0, -0.05f * a, 0.05f}});
      glPopMatrix();
    }
  }
  glPopMatrix();
  const float zz = tunnel ? -(6.0f * (1.0f - p)) * (6.0f * (1.0f - p)) : 0.0f;
  const float g = tunnel ? p * p * p : 1.0f;
  glTranslatef(0.0f, 0.0f, zz);
  glScalef(g, g, 1.0f);
  WholeQuad(scene.newTexture);
}

}  // namespace

void SetUpGlCamera(int id, int aw, int ah) {
  const float w = static_cast<float>(aw);
  const float h = static_cast<float>(ah);
  const float a = w / h;
  const bool flat = id == kFlatFade;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (flat) {
    gluOrtho2D(0.0, aw, 0.0, ah);
  } else {
    // A field of view of 2 × atan2(1, −5): cotangent −5, the projection of a 22.62-degree
    // field turned by 180 degrees about the viewing axis.
    const double fieldOfView = 2.0 * std::atan2(1.0, -5.0) * 180.0 / 3.14159265358979323846;
    gluPerspective(fieldOfView, a, 0.1, 20.0);
  }
  // The whole picture: the area in the flat camera, the quad that fills the viewport at
  // distance 5 in the perspective one.
  const Corner flatQuad[4] = {{0, 0, 0, 0}, {0, 1, 0, h}, {1, 1, w, h}, {1, 0, w, 0}};
  const Corner turnedQuad[4] = {{0, 0, a, 1}, {0, 1, a, -1}, {1, 1, -a, -1}, {1, 0, -a, 1}};
  glNewList(kWholeQuadList, GL_COMPILE);
  if (flat) {
    Corners(flatQuad);
  } else {
    Corners(turnedQuad);
  }
  glEndList();
  if (flat) {
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
  }
  glMatrixMode(GL_MODELVIEW);
}

void DrawGlScene(const GlScene& scene, float p) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  if (scene.id != kFlatFade) glTranslatef(0.0f, 0.0f, -5.0f);
  switch (scene.id) {
    case kFlatFade: DrawFade(scene, p); break;
    case kCube: DrawCube(scene, p); break;
    case kHorizontalFlip:
    case kVerticalFlip: DrawFlip(scene, p); break;
    case kProgressiveHorizontalFlip:
    case kProgressiveVerticalFlip:
    case kHorizontalTilesFlip:
    case kVerticalTilesFlip: DrawTiles(scene, p); break;
    default: DrawPieces(scene, p); break;
  }
}

}  // namespace glintora
