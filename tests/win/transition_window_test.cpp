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
// with an odd vertical margin: each shows the old picture upright in its first presented
// frame (read from the screen), ends on exactly the new frame, releases its context, and
// leaves the caller's device context valid with its viewport origin back.
TEST(TransitionWindow, EachOpenGlTransitionEndsOnTheNewFrameAndLeavesTheDeviceContext) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int width = screenWidth / 2;
  const int height = (screenHeight / 2) | 1;
  const int x = (screenWidth - width) / 2;
  const int y = (screenHeight - height) / 2;
  TestWindow window(0, 0, screenWidth, screenHeight);
  ASSERT_NE(window.Handle(), nullptr);
  auto oldFrame = Ramps(width, height, 60);
  auto newFrame = Ramps(width, height, 190);
  struct FirstFrame {
    int x, y, width, height;
    std::unique_ptr<CvxImageColor8> shot;  // the frame and a row above and below it
    static bool Continue(void* context) {
      auto* self = static_cast<FirstFrame*>(context);
      if (!self->shot) self->shot = testing::CaptureArea(nullptr, self->x, self->y - 1, self->width, self->height + 2);
      return true;
    }
  };
  for (int id = 91; id <= 100; ++id) {
    HDC dc = GetDC(window.Handle());
    SetViewportOrgEx(dc, x, y, nullptr);
    GdiDevice device(dc);
    FirstFrame first{x, y, width, height, nullptr};
    EXPECT_TRUE(RunTransition(device, {0, 0, width, height}, *oldFrame, *newFrame, id, 0.3f, &FirstFrame::Continue,
                              &first))
        << id;
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << id;
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, x) << id;
    EXPECT_EQ(origin.y, y) << id;
    GdiFlush();
    EXPECT_EQ(ReleaseDC(window.Handle(), dc), 1) << id << ": the device context was still the caller's to release";
    TestWindow::Pump();
    ASSERT_NE(first.shot, nullptr) << id;
    EXPECT_LE(LargestDifference(*first.shot, 0, 1, *oldFrame, 2), 12) << id;
    const auto black = [&](int row) {
      const CvxColor8& p = first.shot->At(width / 2, row);
      return p.c[0] == 0 && p.c[1] == 0 && p.c[2] == 0;
    };
    EXPECT_TRUE(black(0) && !black(1) && !black(height) && black(height + 1)) << id << ": exactly the frame's rows";
    EXPECT_TRUE(SamePixels(*testing::CaptureArea(nullptr, x, y, width, height), *newFrame)) << id;
  }
}

// In a child window (the preview's case) the scene is read back through OpenGL itself:
// under Wine a child window's OpenGL frames never reach the screen.
TEST(TransitionWindow, OpenGlInAChildWindowRendersTheScene) {
  constexpr int kWidth = 160;
  constexpr int kHeight = 120;
  TestWindow parent(0, 0, 2 * kWidth, 2 * kHeight);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 10, kWidth, kHeight, parent.Handle(),
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  auto oldFrame = Ramps(kWidth, kHeight, 60);
  auto newFrame = Ramps(kWidth, kHeight, 190);
  struct Frames {
    std::vector<std::unique_ptr<CvxImageColor8>> read;
    // The frame just presented; after the swap Wine keeps it in the back buffer of a child.
    static bool Continue(void* context) {
      auto image = NewImage<CvxColor8>(kWidth, kHeight, true);
      glReadBuffer(GL_BACK);
      // Rows bottom-up, as images lie in memory.
      glReadPixels(0, 0, kWidth, kHeight, GL_BGR_EXT, GL_UNSIGNED_BYTE, image->GetBits());
      static_cast<Frames*>(context)->read.push_back(std::move(image));
      return true;
    }
  };
  HDC dc = GetDC(child);
  GdiDevice device(dc);
  Frames frames;
  EXPECT_TRUE(RunTransition(device, {0, 0, kWidth, kHeight}, *oldFrame, *newFrame, 92, 0.0f, &Frames::Continue,
                            &frames));
  ReleaseDC(child, dc);
  ASSERT_EQ(frames.read.size(), 31u);
  EXPECT_LE(LargestDifference(*frames.read.front(), 0, 0, *oldFrame, 2), 12);
  EXPECT_LE(LargestDifference(*frames.read.back(), 0, 0, *newFrame, 2), 12);
  DestroyWindow(child);
}

// A memory device context offers no window pixel format, so no OpenGL: a 3D transition
// there ends at once on the final frame.
TEST(TransitionWindow, WithoutAWindowFormatAnOpenGlTransitionDrawsOnlyTheFinalFrame) {
  auto target = NewImage<CvxColor8>(64, 48, true);
  ASSERT_NE(target->GetBitmap(), nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, static_cast<HBITMAP>(target->GetBitmap()));
  auto oldFrame = Pattern<CvxColor8>(64, 48, 1);
  auto newFrame = Pattern<CvxColor8>(64, 48, 2);
  GdiDevice device(memory);
  int calls = 0;
  const ContinueCallback count = [](void* context) { return ++*static_cast<int*>(context) > 0; };
  EXPECT_TRUE(RunTransition(device, {0, 0, 64, 48}, *oldFrame, *newFrame, 93, 1.0f, count, &calls));
  GdiFlush();
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(SamePixels(*target, *newFrame));
  SelectObject(memory, previous);
  DeleteDC(memory);
}

}  // namespace
}  // namespace glintora
