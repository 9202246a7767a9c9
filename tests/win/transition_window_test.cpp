// Transitions drawn on a real window's device context end on exactly the new frame; the 3D
// ones render through wgl on the same device context.

#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "../core/image_helpers.h"
#include "test_window.h"
#include "window_capture.h"
#include "core/transitions/engine.h"
#include "win/platform/gdi_device.h"

namespace glintora {
namespace {

using testing::LargestDifference;
using testing::Pattern;
using testing::Ramps;
using testing::SamePixels;
using testing::TestWindow;

TEST(TransitionWindow, EachFamilyEndsOnTheNewFrame) {
  constexpr int kWidth = 160;
  constexpr int kHeight = 120;
  TestWindow window(0, 0, kWidth, kHeight);
  ASSERT_NE(window.Handle(), nullptr);
  auto oldFrame = Pattern<CvxColor8>(kWidth, kHeight, 1);
  auto newFrame = Pattern<CvxColor8>(kWidth, kHeight, 2);
  for (int id : {0, 9, 29, 51, 55, 76, 89}) {
    HDC dc = GetDC(window.Handle());
    GdiDevice device(dc);
    EXPECT_TRUE(RunTransition(device, {0, 0, kWidth, kHeight}, *oldFrame, *newFrame, id, 0.2f, nullptr, nullptr))
        << id;
    GdiFlush();
    ReleaseDC(window.Handle(), dc);
    TestWindow::Pump();
    EXPECT_TRUE(SamePixels(*testing::CaptureWindow(window.Handle(), kWidth, kHeight), *newFrame)) << id;
  }
}

// The 3D transitions on a full-screen top-level window like the saver's, the frame standing
// with an odd vertical margin: each shows the old picture upright on exactly the frame's rows
// in its first presented frame (read from the screen), ends on exactly the new frame, and
// leaves the caller's device context valid, its viewport origin back, no context current.
TEST(TransitionWindow, EachOpenGlTransitionEndsOnTheNewFrameAndLeavesTheDeviceContext) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  TestWindow window(0, 0, screenWidth, screenHeight);
  const int width = screenWidth / 2, height = (screenHeight / 2) | 1;  // an odd margin on an even screen
  const int x = (screenWidth - width) / 2, y = (screenHeight - height) / 2;
  auto oldFrame = Ramps(width, height, 60);
  auto newFrame = Ramps(width, height, 190);
  struct FirstFrame {
    RECT rows;  // the frame's rows and one above and below, on the screen
    std::unique_ptr<CvxImageColor8> shot;
    static bool Continue(void* context) {
      auto* self = static_cast<FirstFrame*>(context);
      const RECT& r = self->rows;
      if (!self->shot) self->shot = testing::CaptureArea(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top);
      return true;
    }
  };
  for (int id = 91; id <= 100; ++id) {
    HDC dc = GetDC(window.Handle());
    SetViewportOrgEx(dc, x, y, nullptr);
    GdiDevice device(dc);
    FirstFrame first{{x, y - 1, x + width, y + height + 1}, nullptr};
    EXPECT_TRUE(RunTransition(device, {0, 0, width, height}, *oldFrame, *newFrame, id, 0.3f, &FirstFrame::Continue,
                              &first));
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << id;
    POINT origin{};
    EXPECT_TRUE(GetViewportOrgEx(dc, &origin) && origin.x == x && origin.y == y) << id;
    EXPECT_EQ(ReleaseDC(window.Handle(), dc), 1) << id << ": the device context was still the caller's to release";
    ASSERT_NE(first.shot, nullptr) << id;
    EXPECT_LE(LargestDifference(*first.shot, 0, 1, *oldFrame, 2), 12) << id;
    const auto lit = [&](int row) { return first.shot->At(width / 2, row).c[2] != 0; };
    EXPECT_TRUE(!lit(0) && lit(1) && lit(height) && !lit(height + 1)) << id << ": exactly the frame's rows";
    EXPECT_TRUE(SamePixels(*testing::CaptureArea(nullptr, x, y, width, height), *newFrame)) << id;
  }
}

// In a child window (the preview's case) Wine renders OpenGL off screen: the scene is read
// back through OpenGL, from the back buffer where Wine leaves a child's frame after the swap.
TEST(TransitionWindow, OpenGlInAChildWindowRendersTheScene) {
  constexpr int kWidth = 160, kHeight = 120;
  TestWindow parent(0, 0, 2 * kWidth, 2 * kHeight);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 10, kWidth, kHeight, parent.Handle(),
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  auto oldFrame = Ramps(kWidth, kHeight, 60);
  auto newFrame = Ramps(kWidth, kHeight, 190);
  std::vector<std::unique_ptr<CvxImageColor8>> frames;
  const ContinueCallback readBack = [](void* context) {
    auto image = NewImage<CvxColor8>(kWidth, kHeight, true);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_BGR_EXT, GL_UNSIGNED_BYTE, image->GetBits());  // bottom row first
    static_cast<std::vector<std::unique_ptr<CvxImageColor8>>*>(context)->push_back(std::move(image));
    return true;
  };
  HDC dc = GetDC(child);
  GdiDevice device(dc);
  EXPECT_TRUE(RunTransition(device, {0, 0, kWidth, kHeight}, *oldFrame, *newFrame, 92, 0.0f, readBack, &frames));
  ReleaseDC(child, dc);
  ASSERT_EQ(frames.size(), 31u);
  EXPECT_LE(LargestDifference(*frames.front(), 0, 0, *oldFrame, 2), 12);
  EXPECT_LE(LargestDifference(*frames.back(), 0, 0, *newFrame, 2), 12);
}

// A memory device context offers no window pixel format, so no OpenGL: a 3D transition
// there draws nothing but its final frame.
TEST(TransitionWindow, WithoutAWindowFormatAnOpenGlTransitionDrawsOnlyTheFinalFrame) {
  auto target = NewImage<CvxColor8>(64, 48, true);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, static_cast<HBITMAP>(target->GetBitmap()));
  auto newFrame = Pattern<CvxColor8>(64, 48, 2);
  GdiDevice device(memory);
  const ContinueCallback refuse = [](void*) { return false; };
  EXPECT_TRUE(RunTransition(device, {0, 0, 64, 48}, *Pattern<CvxColor8>(64, 48, 1), *newFrame, 93, 1.0f, refuse,
                            nullptr));
  GdiFlush();
  EXPECT_TRUE(SamePixels(*target, *newFrame));
  SelectObject(memory, previous);
  DeleteDC(memory);
}

}  // namespace
}  // namespace glintora
