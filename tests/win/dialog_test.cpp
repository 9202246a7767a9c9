// Dialogs of the framework: the modal run with its own loop and dialog navigation, the
// object attached from creation, the template's initial items, nested modal dialogs, and
// the data exchange with its validation, driven from a second thread.

#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "test_dialogs.h"
#include "test_window.h"
#include "win/framework/dialog.h"

namespace glintora {
namespace {

using testing::Checked;
using testing::FindThreadDialog;
using testing::FocusIn;
using testing::MessageBoxRecorder;
using testing::RunDriven;
using testing::TextOf;

class TestDialog : public CDialog {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  explicit TestDialog(HWND parent = nullptr) : CDialog(IDD_TEST, parent) {}

  // The members the exchange moves.
  std::string name = "Ann";
  double number = 2.5;
  bool flag = true;
  std::string choice = "bet";
  int listIndex = 1;
  std::string after = "z";

  // What the dialog's thread saw, for the driver.
  struct Seen {
    std::vector<UINT> messages;  // creation messages, in order, up to WM_INITDIALOG
    bool attachedAtInit = false;
    std::optional<bool> lastCheck;  // the "Check" button's UpdateData answer
    double number = 0;
    std::string after;
    INT_PTR nestedResult = 0;
  };
  Seen TakeSeen() {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_seen;
  }

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_T_NAME, name);
    DDX_Text(dx, IDC_T_NUMBER, number);
    DDV_MinMaxDouble(dx, number, 1, 120);
    DDX_Check(dx, IDC_T_FLAG, flag);
    DDX_CBString(dx, IDC_T_COMBO, choice);
    DDX_LBIndex(dx, IDC_T_LIST, listIndex);
    DDX_Text(dx, IDC_T_AFTER, after);
  }
  BOOL OnInitDialog() override {
    Record(WM_INITDIALOG);
    {
      const std::lock_guard<std::mutex> guard(m_lock);
      m_seen.attachedAtInit = CWnd::FromHandle(m_hWnd) == this;
    }
    return CDialog::OnInitDialog();
  }
  LRESULT OnCreate(WPARAM, LPARAM) {
    Record(WM_CREATE);
    return Default();
  }
  LRESULT OnSetFont(WPARAM, LPARAM) {
    Record(WM_SETFONT);
    return Default();
  }
  void OnCheck() {
    const bool ok = UpdateData(TRUE);
    const std::lock_guard<std::mutex> guard(m_lock);
    m_seen.lastCheck = ok;
    m_seen.number = number;
    m_seen.after = after;
  }
  void OnNested() {
    TestDialog inner(m_hWnd);
    const INT_PTR result = inner.DoModal();
    const std::lock_guard<std::mutex> guard(m_lock);
    m_seen.nestedResult = result;
  }

 private:
  void Record(UINT message) {
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_seen.messages.empty() || m_seen.messages.back() != WM_INITDIALOG) m_seen.messages.push_back(message);
  }
  std::mutex m_lock;
  Seen m_seen;
};
GLINTORA_MESSAGE_MAP(TestDialog, CDialog, OnMessage<&TestDialog::OnCreate>(WM_CREATE),
                     OnMessage<&TestDialog::OnSetFont>(WM_SETFONT), OnCommand<&TestDialog::OnCheck>(IDC_T_CHECK),
                     OnCommand<&TestDialog::OnNested>(IDC_T_NESTED))

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string ComboSelection(HWND dialog) {
  const LRESULT index = SendDlgItemMessageA(dialog, IDC_T_COMBO, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return "(none)";
  char text[64] = {};
  SendDlgItemMessageA(dialog, IDC_T_COMBO, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

TEST(Dialog, RunsModallyWithTheObjectAttachedFromCreation) {
  testing::TestWindow owner(10, 10, 100, 100);
  TestDialog dialog(owner.Handle());
  bool ownerDisabled = false;
  std::string shown[4];
  int focusBeforeTab = 0;
  int focusAfterTab = 0;
  HWND dialogWindow = nullptr;
  const INT_PTR result = RunDriven(
      dialog,
      [&](HWND window) {
        dialogWindow = window;
        ownerDisabled = !IsWindowEnabled(owner.Handle());
        shown[0] = TextOf(Item(window, IDC_T_NAME));
        shown[1] = TextOf(Item(window, IDC_T_NUMBER));
        shown[2] = ComboSelection(window);
        shown[3] = std::to_string(SendDlgItemMessageA(window, IDC_T_LIST, LB_GETCOUNT, 0, 0));
        // The keys go through the loop's pre-translation: Tab moves on, Enter presses OK.
        HWND first = FocusIn(window);
        focusBeforeTab = GetDlgCtrlID(first);
        PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
        testing::WaitUntil([&] { return FocusIn(window) != first; }, 5000);
        HWND second = FocusIn(window);
        focusAfterTab = GetDlgCtrlID(second);
        PostMessageA(second, WM_KEYDOWN, VK_RETURN, 0);
        testing::WaitUntil([&] { return !IsWindow(window); }, 5000);
      },
      owner.Handle());
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << "the owner is enabled again";
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(dialogWindow));
  EXPECT_EQ(shown[0], "Ann");
  EXPECT_EQ(shown[1], "2.5");
  EXPECT_EQ(shown[2], "Beta") << "the first item beginning with the text, ignoring case";
  EXPECT_EQ(shown[3], "2") << "list items from the template";
  const TestDialog::Seen seen = dialog.TakeSeen();
  EXPECT_TRUE(seen.attachedAtInit);
  ASSERT_GE(seen.messages.size(), 2u);
  EXPECT_EQ(seen.messages.front(), static_cast<UINT>(WM_CREATE)) << "the map sees the window's creation";
  EXPECT_EQ(seen.messages.back(), static_cast<UINT>(WM_INITDIALOG));
  EXPECT_EQ(focusBeforeTab, IDC_T_NAME);
  EXPECT_EQ(focusAfterTab, IDC_T_NUMBER) << "Tab moved from the first control to the next";
}

TEST(Dialog, EscapeCancelsAndOkReadsTheControlsBack) {
  TestDialog cancelled;
  EXPECT_EQ(RunDriven(cancelled,
                      [](HWND window) {
                        SetWindowTextA(Item(window, IDC_T_NAME), "changed");
                        PostMessageA(FocusIn(window), WM_KEYDOWN, VK_ESCAPE, 0);
                        testing::WaitUntil([&] { return !IsWindow(window); }, 5000);
                      }),
            IDCANCEL);
  EXPECT_EQ(cancelled.name, "Ann") << "Cancel reads nothing";

  TestDialog saved;
  saved.choice = "";  // no item begins with the empty text
  std::string initialChoice;
  EXPECT_EQ(RunDriven(saved,
                      [&](HWND window) {
                        initialChoice = ComboSelection(window);
                        SetWindowTextA(Item(window, IDC_T_NAME), "Bo");
                        SetWindowTextA(Item(window, IDC_T_NUMBER), " 7.25 ");
                        SendDlgItemMessageA(window, IDC_T_FLAG, BM_CLICK, 0, 0);
                        SendDlgItemMessageA(window, IDC_T_LIST, LB_SETCURSEL, 0, 0);
                        SetWindowTextA(Item(window, IDC_T_AFTER), "last");
                        SendDlgItemMessageA(window, IDOK, BM_CLICK, 0, 0);
                      }),
            IDOK);
  EXPECT_EQ(initialChoice, "(none)");
  EXPECT_EQ(saved.name, "Bo");
  EXPECT_EQ(saved.number, 7.25);
  EXPECT_FALSE(saved.flag);
  EXPECT_EQ(saved.choice, "") << "nothing selected saves the empty text";
  EXPECT_EQ(saved.listIndex, 0);
  EXPECT_EQ(saved.after, "last");
}

TEST(Dialog, AFailedValidationNamesTheProblemFocusesTheControlAndStopsTheExchange) {
  struct Case {
    const char* text;
    const char* message;  // null: accepted
    double value;
  };
  const Case cases[] = {
      {"1", nullptr, 1},
      {"120", nullptr, 120},
      {"0.999", "Please enter a number between 1 and 120.", 0},
      {"120.5", "Please enter a number between 1 and 120.", 0},
      {"abc", "Please enter a number.", 0},
      {"nan", "Please enter a number.", 0},
      {"", "Please enter a number.", 0},
  };
  MessageBoxRecorder boxes;
  TestDialog dialog;
  RunDriven(dialog, [&](HWND window) {
    HWND number = Item(window, IDC_T_NUMBER);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.text);
      boxes.Clear();
      SetWindowTextA(Item(window, IDC_T_AFTER), c.text);
      SetWindowTextA(number, c.text);
      // The click focuses the button: a failure moves the focus back to the number.
      SendDlgItemMessageA(window, IDC_T_CHECK, BM_CLICK, 0, 0);
      const TestDialog::Seen seen = dialog.TakeSeen();
      ASSERT_TRUE(seen.lastCheck.has_value());
      if (!c.message) {
        EXPECT_TRUE(*seen.lastCheck);
        EXPECT_EQ(seen.number, c.value);
        EXPECT_TRUE(boxes.Texts().empty());
        continue;
      }
      EXPECT_FALSE(*seen.lastCheck);
      EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message}) << "one message";
      EXPECT_EQ(boxes.LastOwner(), window);
      EXPECT_EQ(boxes.LastType(), static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
      EXPECT_EQ(FocusIn(window), number);
      DWORD start = 1, end = 0;
      SendMessageA(number, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      EXPECT_EQ(start, 0u);
      EXPECT_EQ(end, std::string(c.text).size()) << "the whole text is selected";
      EXPECT_NE(seen.after, c.text) << "the exchange stopped at the failing control";
    }
  });
}

TEST(Dialog, NestedModalDialogsDisableTheirOwnerInTurn) {
  TestDialog outer;
  bool outerDisabled = false;
  bool outerEnabledAfter = false;
  const INT_PTR result = RunDriven(outer, [&](HWND window) {
    // A click that opens a modal dialog is posted: a sent one would wait for it to end.
    PostMessageA(Item(window, IDC_T_NESTED), BM_CLICK, 0, 0);
    HWND inner = FindThreadDialog(GetWindowThreadProcessId(window, nullptr), window);
    ASSERT_NE(inner, nullptr);
    outerDisabled = !IsWindowEnabled(window);
    SetWindowTextA(Item(inner, IDC_T_NUMBER), "5");
    SendDlgItemMessageA(inner, IDOK, BM_CLICK, 0, 0);
    outerEnabledAfter = testing::WaitUntil([&] { return !IsWindow(inner) && IsWindowEnabled(window); }, 5000);
    SendDlgItemMessageA(window, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(outerDisabled);
  EXPECT_TRUE(outerEnabledAfter);
  EXPECT_EQ(outer.TakeSeen().nestedResult, IDOK);
}

TEST(Dialog, AQuitMessageEndsTheModalRunAndReachesTheOuterLoop) {
  TestDialog dialog;
  EXPECT_EQ(
      RunDriven(dialog,
                [](HWND window) { PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 3, 0); }),
      -1);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace glintora
