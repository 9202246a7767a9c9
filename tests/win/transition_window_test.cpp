// Transitions drawn on a real window's device context end on exactly the new frame.

#include <windows.h>

#include <gtest/gtest.h>

#include "../core/image_helpers.h"
#include "test_window.h"
#include "window_capture.h"
#include "core/transitions/engine.h"
#include "win/platform/gdi_device.h"

namespace glintora {
namespace {

using testing::Pattern;
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

}  // namespace
}  // namespace glintora
