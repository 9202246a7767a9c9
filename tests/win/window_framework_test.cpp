// The window framework: message maps with their base classes, notification codes and
// messages reflected to controls, default processing, subclassing, self-deleting windows
// (also those freed from inside a handler of a window they hold), the application's main
// window and worker threads.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "win/framework/win_app.h"
#include "win/framework/wnd.h"
#include "win/framework/worker_thread.h"

namespace glintora {
namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kBaseOnly = WM_APP + 2;

class BaseWindow : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  std::vector<std::string> calls;
  LRESULT OnPing(WPARAM, LPARAM) {
    calls.push_back("base ping");
    return 1;
  }
  LRESULT OnBaseOnly(WPARAM wParam, LPARAM) {
    calls.push_back("base only");
    return static_cast<LRESULT>(wParam) * 2;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(BaseWindow, CWnd, OnMessage<&BaseWindow::OnPing>(kPing),
                     OnMessage<&BaseWindow::OnBaseOnly>(kBaseOnly))
// clang-format on

class DerivedWindow : public BaseWindow {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  bool* deleted = nullptr;
  bool selfOwned = false;
  bool sawCreate = false;
  ~DerivedWindow() override {
    if (deleted) *deleted = true;
  }
  LRESULT OnCreate(WPARAM, LPARAM) {
    sawCreate = true;
    return Default();
  }
  LRESULT OnPing(WPARAM, LPARAM) {
    calls.push_back("derived ping");
    return 2;
  }
  LRESULT OnSetText(WPARAM, LPARAM) {
    calls.push_back("set text");
    return Default();  // the system still stores the title
  }
  void OnHello() { calls.push_back("command 42"); }

 protected:
  void PostNcDestroy() override {
    if (selfOwned) delete this;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(DerivedWindow, BaseWindow, OnMessage<&DerivedWindow::OnCreate>(WM_CREATE),
                     OnMessage<&DerivedWindow::OnPing>(kPing), OnMessage<&DerivedWindow::OnSetText>(WM_SETTEXT),
                     OnCommand<&DerivedWindow::OnHello>(42))
// clang-format on

const char* PlainClass() { return CWnd::RegisterWindowClass(0, nullptr, nullptr, nullptr); }

TEST(WindowFramework, MessagesFollowTheMapsAndFallBackToDefault) {
  DerivedWindow window;
  ASSERT_TRUE(window.CreateEx(0, PlainClass(), "first", WS_POPUP, RECT{0, 0, 50, 40}, nullptr, 0));
  EXPECT_TRUE(window.sawCreate) << "creation messages reach the object";
  EXPECT_EQ(CWnd::FromHandle(window.m_hWnd), &window);
  EXPECT_EQ(SendMessageA(window.m_hWnd, kPing, 0, 0), 2);
  EXPECT_EQ(SendMessageA(window.m_hWnd, kBaseOnly, 21, 0), 42);
  SendMessageA(window.m_hWnd, WM_COMMAND, MAKEWPARAM(42, 0), 0);
  SendMessageA(window.m_hWnd, WM_COMMAND, MAKEWPARAM(43, 0), 0);  // no handler: default
  SetWindowTextA(window.m_hWnd, "second");
  char title[32] = {};
  GetWindowTextA(window.m_hWnd, title, sizeof title);
  EXPECT_STREQ(title, "second");
  EXPECT_EQ(window.calls, (std::vector<std::string>{"derived ping", "base only", "command 42", "set text"}));
  // The same class arguments give the same registered class.
  EXPECT_STREQ(PlainClass(), PlainClass());
  EXPECT_STRNE(PlainClass(), CWnd::RegisterWindowClass(CS_HREDRAW, nullptr, nullptr, nullptr));
  HWND handle = window.m_hWnd;
  EXPECT_TRUE(window.DestroyWindow());
  EXPECT_EQ(window.m_hWnd, nullptr) << "detached after the last message";
  EXPECT_FALSE(IsWindow(handle));
}

TEST(WindowFramework, SelfOwnedWindowsDeleteThemselvesAfterTheLastMessage) {
  bool deleted = false;
  auto* window = new DerivedWindow;
  window->deleted = &deleted;
  window->selfOwned = true;
  ASSERT_TRUE(window->CreateEx(0, PlainClass(), "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
  HWND handle = window->m_hWnd;
  EXPECT_FALSE(deleted);
  ::DestroyWindow(handle);
  EXPECT_TRUE(deleted);
}

TEST(WindowFramework, SubclassingAttachesToASystemControlAndGivesItBack) {
  HWND edit = CreateWindowExA(0, "EDIT", "text", WS_POPUP, 0, 0, 60, 20, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  const LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  DerivedWindow window;
  ASSERT_TRUE(window.SubclassWindow(edit));
  EXPECT_FALSE(DerivedWindow().SubclassWindow(edit)) << "one object per window";
  EXPECT_EQ(SendMessageA(edit, kPing, 0, 0), 2);
  SetWindowTextA(edit, "changed");  // the control's own procedure still stores it
  char text[32] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "changed");
  EXPECT_EQ(window.UnsubclassWindow(), edit);
  EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
  EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
  ::DestroyWindow(edit);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"derived ping", "set text"}));
}

// A self-owned window whose memory is poisoned, not freed, when it is deleted, so that any
// later write into the object shows (the Windows build has no address sanitizer).
class PoisonedWindow : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  static constexpr unsigned char kPoison = 0xDD;
  struct Block {
    unsigned char* bytes;
    size_t size;
  };
  static inline std::vector<Block> s_deleted;
  static inline std::vector<std::string> s_events;

  static void* operator new(size_t size) { return ::operator new(size); }
  static void operator delete(void* object, size_t size) {
    std::memset(object, kPoison, size);
    s_deleted.push_back({static_cast<unsigned char*>(object), size});
    s_events.push_back("deleted");
  }
  static bool StillPoisoned(const Block& block) {
    return std::all_of(block.bytes, block.bytes + block.size, [](unsigned char b) { return b == kPoison; });
  }

  // WM_CLOSE's default processing destroys the window inside this handler.
  LRESULT OnClose(WPARAM, LPARAM) {
    const LRESULT result = Default();
    s_events.push_back(m_hWnd ? "close: still attached" : "close: detached");
    return result;
  }
  // A handler deeper down the stack: destroys the window through another message.
  LRESULT OnPing(WPARAM, LPARAM) {
    SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
    s_events.push_back("ping returns");
    return 0;
  }

 protected:
  void PostNcDestroy() override { delete this; }
};
// clang-format off
GLINTORA_MESSAGE_MAP(PoisonedWindow, CWnd, OnMessage<&PoisonedWindow::OnClose>(WM_CLOSE),
                     OnMessage<&PoisonedWindow::OnPing>(kPing))
// clang-format on

TEST(WindowFramework, AWindowDestroyedInsideItsOwnHandlerIsDeletedOnlyAfterTheHandlerReturns) {
  struct Case {
    UINT message;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {WM_CLOSE, {"close: detached", "deleted"}},
      {kPing, {"close: detached", "ping returns", "deleted"}},
  };
  for (const Case& c : cases) {
    PoisonedWindow::s_deleted.clear();
    PoisonedWindow::s_events.clear();
    auto* window = new PoisonedWindow;
    ASSERT_TRUE(window->CreateEx(0, PlainClass(), "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    HWND handle = window->m_hWnd;
    SendMessageA(handle, c.message, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(PoisonedWindow::s_events, c.events) << "message " << c.message;
    ASSERT_EQ(PoisonedWindow::s_deleted.size(), 1u);
    EXPECT_TRUE(PoisonedWindow::StillPoisoned(PoisonedWindow::s_deleted[0]))
        << "the object was written after it deleted itself";
    ::operator delete(PoisonedWindow::s_deleted[0].bytes);
  }
}

// A window that a self-owned window holds as a member, as the show holds its movie player.
// Its handler destroys `doomed` (the owner's window, or the window the owner is a child of)
// and then goes on, as does the framework's dispatch around it.
class MemberWindow : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  HWND doomed = nullptr;
  LRESULT OnPing(WPARAM, LPARAM) {
    ::DestroyWindow(doomed);
    PoisonedWindow::s_events.push_back("member's handler returns");
    return 0;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(MemberWindow, CWnd, OnMessage<&MemberWindow::OnPing>(kPing))
// clang-format on

class OwnerOfMember : public PoisonedWindow {
 public:
  MemberWindow member;

 protected:
  // Deleting this object frees `member`: wait until no handler of it is running.
  void PostNcDestroy() override { member.AfterHandlers([this] { delete this; }); }
};

TEST(WindowFramework, AnOwnerDestroyedInsideItsMembersHandlerIsDeletedOnlyAfterThatHandlerReturns) {
  enum class Destroy { OwnerFromMember, ParentFromMember, ParentFromOutside };
  struct Case {
    const char* name;
    Destroy destroy;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"owner's window, in the member's handler", Destroy::OwnerFromMember, {"member's handler returns", "deleted"}},
      {"owner's parent, in the member's handler", Destroy::ParentFromMember, {"member's handler returns", "deleted"}},
      {"owner's parent, no handler running", Destroy::ParentFromOutside, {"deleted"}},
  };
  for (const Case& c : cases) {
    PoisonedWindow::s_deleted.clear();
    PoisonedWindow::s_events.clear();
    HWND parent = CreateWindowExA(0, PlainClass(), "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    auto* owner = new OwnerOfMember;
    ASSERT_TRUE(owner->CreateEx(0, PlainClass(), "", WS_CHILD, RECT{0, 0, 10, 10}, parent, 1));
    ASSERT_TRUE(owner->member.CreateEx(0, PlainClass(), "", WS_CHILD, RECT{0, 0, 5, 5}, owner->m_hWnd, 2));
    HWND ownerWindow = owner->m_hWnd;
    HWND memberWindow = owner->member.m_hWnd;
    owner->member.doomed = c.destroy == Destroy::OwnerFromMember ? ownerWindow : parent;
    if (c.destroy == Destroy::ParentFromOutside) {
      ::DestroyWindow(parent);
    } else {
      SendMessageA(memberWindow, kPing, 0, 0);
    }
    EXPECT_FALSE(IsWindow(ownerWindow)) << c.name;
    EXPECT_FALSE(IsWindow(memberWindow)) << c.name;
    EXPECT_EQ(PoisonedWindow::s_events, c.events) << c.name;
    ASSERT_EQ(PoisonedWindow::s_deleted.size(), 1u) << c.name;
    EXPECT_TRUE(PoisonedWindow::StillPoisoned(PoisonedWindow::s_deleted[0]))
        << c.name << ": the owner or its member was written after the owner was deleted";
    ::operator delete(PoisonedWindow::s_deleted[0].bytes);
    if (IsWindow(parent)) ::DestroyWindow(parent);
  }
}

// An application whose main window takes key presses in PreTranslateMessage and is
// destroyed by a posted message: the loop ends with the quit code the framework posts.
class KeyEater : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  int eaten = 0;
  bool dispatchedKey = false;
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_KEYDOWN) return FALSE;
    ++eaten;
    return TRUE;
  }
  LRESULT OnKeyDown(WPARAM, LPARAM) {
    dispatchedKey = true;
    return 0;
  }
  LRESULT OnPing(WPARAM, LPARAM) {
    DestroyWindow();
    return 0;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(KeyEater, CWnd, OnMessage<&KeyEater::OnKeyDown>(WM_KEYDOWN), OnMessage<&KeyEater::OnPing>(kPing))
// clang-format on

class TestApp : public CWinApp {
 public:
  KeyEater window;
  BOOL InitInstance() override {
    if (!window.CreateEx(0, PlainClass(), "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0)) return FALSE;
    m_pMainWnd = &window;
    PostMessageA(window.m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(window.m_hWnd, kPing, 0, 0);
    return TRUE;
  }
};

TEST(WindowFramework, DestroyingTheMainWindowEndsTheLoop) {
  TestApp app;
  EXPECT_EQ(RunApplication(app, GetModuleHandleA(nullptr)), 0);
  EXPECT_EQ(app.window.eaten, 1);
  EXPECT_FALSE(app.window.dispatchedKey);
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(app.window.m_hWnd, nullptr);
}

// A parent whose map takes a control's notifications by their code, and answers colour
// messages about controls that do not answer them themselves.
class NotifiedParent : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  std::vector<std::string> calls;
  void OnEditChanged() { calls.push_back("edit changed"); }
  void OnEditCommand() { calls.push_back("edit command"); }
  void OnButtonClicked() { calls.push_back("button clicked"); }
  LRESULT OnCtlColorStatic(WPARAM, LPARAM) { return calls.push_back("parent colour"), 111; }
};
// clang-format off
GLINTORA_MESSAGE_MAP(NotifiedParent, CWnd, OnControl<&NotifiedParent::OnEditChanged>(EN_CHANGE, 7),
                     OnCommand<&NotifiedParent::OnEditCommand>(7), OnCommand<&NotifiedParent::OnButtonClicked>(8),
                     OnMessage<&NotifiedParent::OnCtlColorStatic>(WM_CTLCOLORSTATIC))
// clang-format on

// A control that answers the parent's messages about itself.
class ReflectingControl : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()
 public:
  std::vector<std::string> calls;
  LRESULT OnColour(WPARAM, LPARAM) { return calls.push_back("colour"), 222; }
  LRESULT OnDraw(WPARAM, LPARAM) { return calls.push_back("draw"), 333; }
  LRESULT OnMeasure(WPARAM, LPARAM lParam) {
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 17;
    return calls.push_back("measure"), 444;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(ReflectingControl, CWnd, OnReflected<&ReflectingControl::OnColour>(WM_CTLCOLORSTATIC),
                     OnReflected<&ReflectingControl::OnDraw>(WM_DRAWITEM),
                     OnReflected<&ReflectingControl::OnMeasure>(WM_MEASUREITEM))
// clang-format on

HWND MakeChild(HWND parent, const char* className, UINT id) {
  return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

TEST(WindowFramework, CommandEntriesMatchTheNotificationCode) {
  NotifiedParent parent;
  ASSERT_TRUE(parent.CreateEx(0, PlainClass(), "", WS_POPUP, RECT{0, 0, 100, 100}, nullptr, 0));
  HWND edit = MakeChild(parent.m_hWnd, "EDIT", 7);
  HWND button = MakeChild(parent.m_hWnd, "BUTTON", 8);
  SetWindowTextA(edit, "typed");  // EN_CHANGE, not a click
  SendMessageA(button, BM_CLICK, 0, 0);
  SendMessageA(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(edit));
  EXPECT_EQ(parent.calls, (std::vector<std::string>{"edit changed", "button clicked", "edit command"}));
}

TEST(WindowFramework, ParentsHandMessagesAboutAControlToTheControlsObject) {
  NotifiedParent parent;
  ASSERT_TRUE(parent.CreateEx(0, PlainClass(), "", WS_POPUP, RECT{0, 0, 100, 100}, nullptr, 0));
  ReflectingControl control;
  ASSERT_TRUE(control.SubclassDlgItem(9, parent.m_hWnd) == FALSE) << "no such control yet";
  HWND reflecting = MakeChild(parent.m_hWnd, "STATIC", 9);
  HWND plain = MakeChild(parent.m_hWnd, "STATIC", 10);
  ASSERT_TRUE(control.SubclassDlgItem(9, parent.m_hWnd));
  EXPECT_EQ(control.m_hWnd, reflecting);

  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_STATIC;
  draw.hwndItem = reflecting;
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_LISTBOX;
  measure.CtlID = 9;
  MEASUREITEMSTRUCT menu{};
  menu.CtlType = ODT_MENU;
  menu.CtlID = 9;
  struct Case {
    UINT message;
    LPARAM lParam;
    LRESULT result;
    const char* handledBy;  // "control: ..." or "parent: ..." or "" for the default
  };
  const Case cases[] = {
      {WM_CTLCOLORSTATIC, reinterpret_cast<LPARAM>(reflecting), 222, "control: colour"},
      {WM_CTLCOLORSTATIC, reinterpret_cast<LPARAM>(plain), 111, "parent: parent colour"},
      {WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw), 333, "control: draw"},
      {WM_MEASUREITEM, reinterpret_cast<LPARAM>(&measure), 444, "control: measure"},
      {WM_MEASUREITEM, reinterpret_cast<LPARAM>(&menu), 0, ""},  // menus have no control
  };
  for (const Case& c : cases) {
    parent.calls.clear();
    control.calls.clear();
    EXPECT_EQ(SendMessageA(parent.m_hWnd, c.message, 0, c.lParam), c.result) << c.handledBy;
    std::string handledBy;
    if (!control.calls.empty()) handledBy = "control: " + control.calls.front();
    if (!parent.calls.empty()) handledBy += "parent: " + parent.calls.front();
    EXPECT_EQ(handledBy, c.handledBy) << "message " << c.message;
  }
  EXPECT_EQ(measure.itemHeight, 17u);
}

TEST(WorkerThread, AnOwnedThreadIsWaitedForADetachedOneFreesItsWorkWhenDone) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  auto counter = std::make_shared<std::atomic<int>>(0);
  std::unique_ptr<CWorkerThread> owned = CWorkerThread::Start([go, counter] {
    WaitForSingleObject(go, INFINITE);
    for (int i = 0; i < 10; ++i) ++*counter;
    return 7u;
  });
  ASSERT_NE(owned, nullptr);
  EXPECT_FALSE(owned->WaitEnded(50)) << "held by its work";
  SetEvent(go);
  EXPECT_TRUE(owned->WaitEnded(10000));
  EXPECT_EQ(counter->load(), 10);
  EXPECT_EQ(owned->ExitCode(), 7u);
  owned.reset();

  // Nobody waits for a detached thread: what its work holds is freed on it once it is done.
  ASSERT_TRUE(CWorkerThread::RunDetached([counter] {
    for (int i = 0; i < 10; ++i) ++*counter;
    return 0u;
  }));
  for (int i = 0; i < 1000 && counter.use_count() > 1; ++i) Sleep(5);
  EXPECT_EQ(counter.use_count(), 1) << "the work's share released";
  EXPECT_EQ(counter->load(), 20);
  EXPECT_FALSE(CWorkerThread::RunDetached(nullptr)) << "no work, no thread";
  CloseHandle(go);
}

}  // namespace
}  // namespace glintora
