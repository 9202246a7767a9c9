// Dialogs of the framework, driven from a second thread: the modal run with its own loop
// and dialog navigation, the object attached from creation, the template's initial items,
// the data exchange, nested modal dialogs and a quit message during a run.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "test_dialogs.h"
#include "test_window.h"
#include "win/framework/dialog.h"

namespace glintora {
namespace {

using testing::FocusIn;
using testing::RunDriven;
using testing::TextOf;

class TestDialog : public CDialog {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  explicit TestDialog(HWND parent = nullptr) : CDialog(IDD_TEST, parent) {}

  std::string name = "Ann";
  double number = 2.5;
  bool flag = true;
  std::string choice = "bet";
  int listIndex = 1;
  std::string after = "z";
  // Seen on the dialog's thread: the first message the object got, whether it was attached
  // at WM_INITDIALOG, the nested dialog's answer.
  UINT firstMessage = 0;
  bool attachedAtInit = false;
  std::atomic<INT_PTR> nestedResult{0};

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
    attachedAtInit = CWnd::FromHandle(m_hWnd) == this;
    return CDialog::OnInitDialog();
  }
  LRESULT OnCreate(WPARAM, LPARAM) {
    if (!firstMessage) firstMessage = WM_CREATE;
    return Default();
  }
  void OnNested() { nestedResult = TestDialog(m_hWnd).DoModal(); }
};
// clang-format off
GLINTORA_MESSAGE_MAP(TestDialog, CDialog, OnMessage<&TestDialog::OnCreate>(WM_CREATE),
                     OnCommand<&TestDialog::OnNested>(IDC_T_NESTED))
// clang-format on

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
  std::vector<std::string> shown;
  std::vector<int> focus;
  const INT_PTR result = RunDriven(
      dialog,
      [&](HWND window) {
        ownerDisabled = !IsWindowEnabled(owner.Handle());
        shown = {TextOf(Item(window, IDC_T_NAME)), TextOf(Item(window, IDC_T_NUMBER)), ComboSelection(window),
                 std::to_string(SendDlgItemMessageA(window, IDC_T_LIST, LB_GETCOUNT, 0, 0))};
        // Keys go through the loop's pre-translation: Tab moves on, Enter presses OK.
        HWND first = FocusIn(window);
        PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
        testing::WaitUntil([&] { return FocusIn(window) != first; });
        focus = {GetDlgCtrlID(first), GetDlgCtrlID(FocusIn(window))};
        PostMessageA(FocusIn(window), WM_KEYDOWN, VK_RETURN, 0);
        testing::WaitUntil([&] { return !IsWindow(window); });
      },
      owner.Handle());
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << "the owner is enabled again";
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  // The combo box shows the first item beginning with "bet", ignoring case; the list has the
  // template's two items.
  EXPECT_EQ(shown, (std::vector<std::string>{"Ann", "2.5", "Beta", "2"}));
  EXPECT_EQ(focus, (std::vector<int>{IDC_T_NAME, IDC_T_NUMBER}));
  EXPECT_EQ(dialog.firstMessage, static_cast<UINT>(WM_CREATE)) << "the map sees the window's creation";
  EXPECT_TRUE(dialog.attachedAtInit);
}

TEST(Dialog, EscapeCancelsAndOkReadsTheControlsBack) {
  TestDialog cancelled;
  EXPECT_EQ(RunDriven(cancelled,
                      [](HWND window) {
                        SetWindowTextA(Item(window, IDC_T_NAME), "changed");
                        PostMessageA(FocusIn(window), WM_KEYDOWN, VK_ESCAPE, 0);
                        testing::WaitUntil([&] { return !IsWindow(window); });
                      }),
            IDCANCEL);
  EXPECT_EQ(cancelled.name, "Ann") << "Cancel reads nothing";

  TestDialog saved;
  saved.choice = "";  // selects nothing, though every item begins with it
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

TEST(Dialog, NestedModalDialogsDisableTheirOwnerInTurn) {
  TestDialog outer;
  bool outerDisabled = false;
  bool outerEnabledAfter = false;
  const INT_PTR result = RunDriven(outer, [&](HWND window) {
    // A click that opens a modal dialog is posted: a sent one would wait for it to end.
    PostMessageA(Item(window, IDC_T_NESTED), BM_CLICK, 0, 0);
    HWND inner = testing::FindThreadDialog(GetWindowThreadProcessId(window, nullptr), window);
    ASSERT_NE(inner, nullptr);
    outerDisabled = !IsWindowEnabled(window);
    SendDlgItemMessageA(inner, IDOK, BM_CLICK, 0, 0);
    outerEnabledAfter = testing::WaitUntil([&] { return !IsWindow(inner) && IsWindowEnabled(window); });
    SendDlgItemMessageA(window, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(outerDisabled);
  EXPECT_TRUE(outerEnabledAfter);
  EXPECT_EQ(outer.nestedResult, IDOK);
}

TEST(Dialog, AQuitMessageEndsTheRunAndReachesTheOuterLoop) {
  TestDialog dialog;
  EXPECT_EQ(RunDriven(dialog,
                      [](HWND window) {
                        PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 3, 0);
                        testing::WaitUntil([&] { return !IsWindow(window); });
                      }),
            -1);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace glintora
