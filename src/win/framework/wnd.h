#pragma once
// The window side of our small Win32 framework. A CWnd is attached to its window at
// creation (the object's address is stored in the window), and every message goes through
// the class's static message map to a short handler; what no handler takes gets the
// default processing. After the window's last message PostNcDestroy runs, where classes
// that own themselves delete the object.
//
// Ownership: an object that deletes itself owns the objects of the windows it holds as
// members, so its deletion frees them too. Such a member may be in one of its own handlers
// (pumping messages, say) when the owner's window goes; the owner then defers its deletion
// with AfterHandlers on that member, so no handler returns into freed memory.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace glintora {

class CWnd;

// One line of a message map: a message (for WM_COMMAND also a control or command id and a
// notification code) and its handler.
struct MessageMapEntry {
  UINT message;
  UINT commandId;   // WM_COMMAND only
  UINT notifyCode;  // WM_COMMAND only; menu commands and button clicks (BN_CLICKED) are 0
  LRESULT (*call)(CWnd& window, WPARAM wParam, LPARAM lParam);
};

// The map key under which a control handles a message that its parent received about it
// (WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*): the parent hands such a message to the
// control's object first when the control's map has an entry for it. The number is only a
// key, never sent; the handler gives the full answer (it does not call Default()).
inline constexpr UINT kReflectedBase = 0xBC00;
constexpr UINT ReflectedMessage(UINT message) { return kReflectedBase + message; }

// A class's own entries and the map of its base class, searched after them.
struct MessageMap {
  const MessageMap* base;
  const MessageMapEntry* entries;
  size_t count;
};

namespace detail {
template <typename M>
struct MemberOf;
template <typename C, typename R, typename... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
};
}  // namespace detail

// Map entries for handlers of the form LRESULT OnXxx(WPARAM, LPARAM) and void OnCommand().
template <auto Handler>
constexpr MessageMapEntry OnMessage(UINT message) {
  return {message, 0, 0, [](CWnd& window, WPARAM wParam, LPARAM lParam) -> LRESULT {
            using Class = typename detail::MemberOf<decltype(Handler)>::Class;
            return (static_cast<Class&>(window).*Handler)(wParam, lParam);
          }};
}
// A control's notification `notifyCode` (BN_CLICKED, EN_CHANGE, LBN_SELCHANGE, ...) from
// the control `controlId`.
template <auto Handler>
constexpr MessageMapEntry OnControl(UINT notifyCode, UINT controlId) {
  return {WM_COMMAND, controlId, notifyCode, [](CWnd& window, WPARAM, LPARAM) -> LRESULT {
            using Class = typename detail::MemberOf<decltype(Handler)>::Class;
            (static_cast<Class&>(window).*Handler)();
            return 0;
          }};
}
// A menu command or a button's click.
template <auto Handler>
constexpr MessageMapEntry OnCommand(UINT commandId) {
  return OnControl<Handler>(0, commandId);
}
// A message about this control that its parent received (see ReflectedMessage).
template <auto Handler>
constexpr MessageMapEntry OnReflected(UINT message) {
  return OnMessage<Handler>(ReflectedMessage(message));
}

// Declares a class's message map; define it with GLINTORA_MESSAGE_MAP in the class's source.
#define GLINTORA_DECLARE_MESSAGE_MAP()                  \
 public:                                                 \
  static const ::glintora::MessageMap* ThisMessageMap(); \
  const ::glintora::MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

#define GLINTORA_MESSAGE_MAP(Class, Base, ...)                                               \
  const ::glintora::MessageMap* Class::ThisMessageMap() {                                    \
    static const ::glintora::MessageMapEntry entries[] = {__VA_ARGS__};                      \
    static const ::glintora::MessageMap map{Base::ThisMessageMap(), entries, std::size(entries)}; \
    return &map;                                                                             \
  }

// A window's text, whole; empty when it has none.
std::string WindowText(HWND window);

class CWnd {
 public:
  CWnd() = default;
  // Destroys a window that is still attached (its PostNcDestroy then finds the object gone
  // from it and does nothing further).
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Registers (once per distinct set of arguments) a window class and returns its name.
  static const char* RegisterWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);

  // Creates the window with this object attached; false when the window was not made.
  BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                HWND parent, UINT id);
  // Attaches this object to an existing window by replacing its window procedure.
  BOOL SubclassWindow(HWND window);
  // Attaches this object to the control `id` of `parent`.
  BOOL SubclassDlgItem(UINT id, HWND parent);
  // Gives the window its own procedure back and detaches.
  HWND UnsubclassWindow();
  BOOL DestroyWindow();

  // The object attached to `window`, or null.
  static CWnd* FromHandle(HWND window);
  HWND GetSafeHwnd() const { return m_hWnd; }
  // The child window with control id `id`, or null.
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  // The owner window (the parent for child windows).
  HWND GetOwner() const;

  // Whether a handler of this object is on the stack (a message is being dispatched to it).
  bool InHandler() const { return m_dispatchDepth > 0; }
  // Runs `action` once no handler of this object is on the stack: at once when none is,
  // else as the very last step of the outermost handler's dispatch, after this object's own
  // PostNcDestroy, touching nothing of the object afterwards. So `action` may delete this
  // object, or the object that holds it as a member. Several run in the order given.
  void AfterHandlers(std::function<void()> action);

  // Offered each message the loop takes for this window or its children before dispatch;
  // true when the message was handled and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Offers `msg` to the attached windows from its target up through its parents.
  static BOOL WalkPreTranslate(MSG* msg);

  HWND m_hWnd = nullptr;

 protected:
  virtual const MessageMap* GetMessageMap() const { return ThisMessageMap(); }
  static const MessageMap* ThisMessageMap();

  // The map's handler for the message, or DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The default processing: the window's original procedure, or the system's.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Default processing of the message being handled.
  LRESULT Default();
  // Default processing, then, when `pass` is set, the same message sent on to the owner (a
  // movie window passes clicks on, so the saver ends on any click wherever it lands).
  LRESULT DefaultThenToOwner(bool pass);
  // Called when SubclassWindow has attached the object, before the window's next message:
  // controls set themselves up here.
  virtual void PreSubclassWindow() {}
  // After the last message (WM_NCDESTROY); the window is already detached. When the window
  // was destroyed from inside one of its own handlers, this runs once that outermost
  // handler has returned, so a class may delete itself here.
  virtual void PostNcDestroy() {}

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The map entry that handles the message, searching the base classes' maps last.
  const MessageMapEntry* FindEntry(UINT message, WPARAM wParam) const;
  // Hands a message about a child control to the control's object when it handles it.
  bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  WNDPROC m_superProc = nullptr;  // the procedure replaced by subclassing
  MSG m_current{};                // the message being handled, for Default()
  int m_dispatchDepth = 0;        // handlers of this object running on the stack
  bool m_finishPending = false;   // WM_NCDESTROY seen; PostNcDestroy waits for depth 0
  std::vector<std::function<void()>> m_afterHandlers;  // AfterHandlers' actions, waiting for depth 0
};

}  // namespace glintora
