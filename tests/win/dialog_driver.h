#pragma once
// Drives a dialog that runs modally on the test's thread from a second thread, as another
// program would: the driver waits for the dialog's window, sends and posts messages to its
// controls and reads them back. Message boxes are recorded instead of shown.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "win/framework/dialog.h"
#include "win/framework/message_box.h"

namespace glintora::testing {

// Polls `condition` until it holds or `limitMs` pass.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs = 10000) {
  const DWORD begin = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - begin > limitMs) return false;
    Sleep(10);
  }
  return true;
}

// The visible dialog window of `threadId` whose owner is `owner`; null if none appears
// within `limitMs`.
inline HWND FindThreadDialog(DWORD threadId, HWND owner, DWORD limitMs = 10000) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  WaitUntil(
      [&] {
        EnumThreadWindows(
            threadId,
            [](HWND window, LPARAM context) -> BOOL {
              auto* s = reinterpret_cast<Search*>(context);
              char name[16] = {};
              GetClassNameA(window, name, sizeof name);
              if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
              if (GetWindow(window, GW_OWNER) != s->owner) return TRUE;
              s->found = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      limitMs);
  return search.found;
}

// The window with the keyboard focus in `window`'s thread.
inline HWND FocusIn(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

inline std::string TextOf(HWND window) {
  char text[1024] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

inline bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Runs `dialog` (owned by `owner`) modally on this thread while `script` drives its window
// from another thread; a dialog still open when the script returns is cancelled. Returns
// DoModal's answer.
inline INT_PTR RunDriven(CDialog& dialog, const std::function<void(HWND dialog)>& script, HWND owner = nullptr) {
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> done{false};
  std::thread driver([&] {
    if (HWND window = FindThreadDialog(thread, owner)) {
      script(window);
      if (IsWindow(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    } else {
      ADD_FAILURE() << "the dialog did not appear";
    }
    done = true;
  });
  const INT_PTR result = dialog.DoModal();
  // The driver may still ask this thread's windows something: serve them while waiting. A
  // quit message stays for the caller.
  std::optional<WPARAM> quit;
  while (!done) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = msg.wParam;
      } else {
        DispatchMessageA(&msg);
      }
    }
    Sleep(5);
  }
  driver.join();
  if (quit) PostQuitMessage(static_cast<int>(*quit));
  return result;
}

// Records the message boxes shown while it lives, answering each with IDOK.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    m_previous = ReplaceMessageBox([this](HWND owner, const std::string& text, UINT type) {
      const std::lock_guard<std::mutex> guard(m_lock);
      m_texts.push_back(text);
      m_lastOwner = owner;
      m_lastType = type;
      return IDOK;
    });
  }
  ~MessageBoxRecorder() { ReplaceMessageBox(std::move(m_previous)); }
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  // The texts shown since the last call.
  std::vector<std::string> Take() {
    const std::lock_guard<std::mutex> guard(m_lock);
    return std::exchange(m_texts, {});
  }
  HWND LastOwner() const {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_lastOwner;
  }
  // The style bits of the last box (MB_OK, MB_ICONWARNING, ...).
  UINT LastType() const {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_lastType;
  }

 private:
  mutable std::mutex m_lock;
  std::vector<std::string> m_texts;
  HWND m_lastOwner = nullptr;
  UINT m_lastType = 0;
  MessageBoxFunction m_previous;
};

}  // namespace glintora::testing
