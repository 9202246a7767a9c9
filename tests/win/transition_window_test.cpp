// Transitions drawn on a real window's device context end on exactly the new frame.

#include <windows.h>

#include <gtest/gtest.h>

#include "../core/image_helpers.h"
#include "window_capture.h"
#include "core/transitions/engine.h"
#include "win/platform/gdi_device.h"

namespace glintora {
namespace {

using testing::Pattern;
using testing::SamePixels;

// A plain visible pop-up window of the given client size at the screen's top left.
class TestWindow {
 public:
  TestWindow(int width, int height) {
    WNDCLASSA type{};
    type.lpfnWndProc = DefWindowProcA;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "glintora-transition-test";
    RegisterClassA(&type);
    m_window = CreateWindowExA(WS_EX_TOPMOST, type.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, type.hInstance, nullptr);
    Pump();
  }
  ~TestWindow() {
    if (m_window) DestroyWindow(m_window);
  }
  HWND Handle() const { return m_window; }
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

 private:
  HWND m_window = nullptr;
};

TEST(TransitionWindow, EachFamilyEndsOnTheNewFrame) {
  constexpr int kWidth = 160;
  constexpr int kHeight = 120;
  TestWindow window(kWidth, kHeight);
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
