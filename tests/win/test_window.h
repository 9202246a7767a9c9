#pragma once
// A plain visible top-most pop-up window for tests to draw into or to parent other windows.

#include <windows.h>

#include <functional>

namespace glintora::testing {

// Serves this thread's messages, then checks `done`, until it holds or `limitMs` have passed.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start > limitMs) return false;
    Sleep(5);
  }
}
inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

class TestWindow {
 public:
  TestWindow(int x, int y, int width, int height) {
    WNDCLASSA type{};
    type.lpfnWndProc = DefWindowProcA;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "glintora-test-window";
    RegisterClassA(&type);  // a second registration fails harmlessly
    m_window = CreateWindowExA(WS_EX_TOPMOST, type.lpszClassName, "test window", WS_POPUP | WS_VISIBLE, x, y, width,
                               height, nullptr, nullptr, type.hInstance, nullptr);
    Pump();
  }
  ~TestWindow() { Destroy(); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Handle() const { return m_window; }
  void Destroy() {
    if (m_window) DestroyWindow(m_window);
    m_window = nullptr;
  }
  // Serves the waiting messages of this thread.
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

 private:
  HWND m_window = nullptr;
};

}  // namespace glintora::testing
