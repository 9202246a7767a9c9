// The transitions dialog in this process, driven from a second thread: the list in the
// catalogue's order with its checks, the check boxes under the mouse and the space bar, OK's
// warning and validation, the live preview as the screen shows it (back and forth), and
// closing it while a preview runs and its timer is due.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/transitions/catalogue.h"
#include "dialog_driver.h"
#include "res/resource.h"
#include "win/ui/transitions_dlg.h"
#include "window_capture.h"

namespace glintora {
namespace {

using testing::RunDriven;
using testing::TextOf;
using testing::WaitUntil;

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_TRANSITION_LIST); }

// '1' for each checked item, '0' for the others.
std::string Checks(HWND dialog) {
  std::string checks;
  const LRESULT count = SendMessageA(List(dialog), LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) checks += SendMessageA(List(dialog), LB_GETITEMDATA, i, 0) ? '1' : '0';
  return checks;
}

// A mouse click on the check box of item `index`, as the list receives it.
void ClickBox(HWND dialog, int index) {
  HWND list = List(dialog);
  SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM(item.left + 8, (item.top + item.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
}

// Selects item `index` as a click would, with the notification the dialog acts on.
void Select(HWND dialog, int index) {
  SendMessageA(List(dialog), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_TRANSITION_LIST, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(List(dialog)));
}

void Type(HWND dialog, int id, const char* text) { SetWindowTextA(GetDlgItem(dialog, id), text); }
void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// What the screen shows of the preview's client area.
std::unique_ptr<CvxImageColor8> CapturePreview(HWND dialog) {
  HWND preview = GetDlgItem(dialog, IDC_PREVIEW);
  RECT client{};
  GetClientRect(preview, &client);
  POINT origin{0, 0};
  ClientToScreen(preview, &origin);
  return testing::CaptureArea(nullptr, origin.x, origin.y, client.right, client.bottom);
}

// The share of pixels in the columns [fromX, toX) that differ from `picture`; the control's
// own one-pixel frame and one more row and column are left out.
double DifferingShare(const CvxImageColor8& shown, const CvxImage* picture, double fromX, double toX) {
  const auto* expected = As<CvxColor8>(picture);
  if (!expected || expected->m_width != shown.m_width || expected->m_height != shown.m_height) return 1;
  const int left = std::max(2, static_cast<int>(fromX * shown.m_width));
  const int right = std::min(shown.m_width - 2, static_cast<int>(toX * shown.m_width));
  int differing = 0, total = 0;
  for (int y = 2; y < shown.m_height - 2; ++y) {
    for (int x = left; x < right; ++x, ++total) {
      differing += std::memcmp(shown.At(x, y).c, expected->At(x, y).c, 3) != 0;
    }
  }
  return total ? static_cast<double>(differing) / total : 1;
}

class TransitionsDialogTest : public ::testing::Test {
 protected:
  testing::MessageBoxRecorder m_boxes;
};

TEST_F(TransitionsDialogTest, ListsEveryTransitionAndOkNeedsOneCheckedAndAValidDuration) {
  CTransitionsDlg dialog(nullptr);
  dialog.m_duration = 2.5;
  dialog.m_enabled.fill(0);
  dialog.m_enabled[92] = 1;
  std::vector<std::string> names;
  std::string checksAtStart, duration;
  HWND dialogWindow = nullptr;
  struct Refused {
    const char* text;
    const char* message;
  };
  const Refused refused[] = {
      {"0.4", "Please enter a number between 0.5 and 99."},
      {"100", "Please enter a number between 0.5 and 99."},
      {"soon", "Please enter a number."},
  };
  const INT_PTR result = RunDriven(dialog, [&](HWND window) {
    dialogWindow = window;
    for (int i = 0; i < SendMessageA(List(window), LB_GETCOUNT, 0, 0); ++i) {
      char text[128] = {};
      SendMessageA(List(window), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      names.push_back(text);
    }
    checksAtStart = Checks(window);
    duration = TextOf(GetDlgItem(window, IDC_DURATION));

    Click(window, IDC_UNSELECT_ALL);
    Click(window, IDOK);
    EXPECT_EQ(m_boxes.Take(), std::vector<std::string>{"You must select at least one transition."});
    EXPECT_EQ(m_boxes.LastType(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(m_boxes.LastOwner(), window);
    EXPECT_TRUE(IsWindowVisible(window)) << "the dialog stays";

    // A click on an item's box checks it; the space bar checks the caret item.
    ClickBox(window, 7);
    Select(window, 60);
    SendMessageA(List(window), WM_KEYDOWN, VK_SPACE, 0);
    for (const Refused& r : refused) {
      Type(window, IDC_DURATION, r.text);
      Click(window, IDOK);
      EXPECT_EQ(m_boxes.Take(), std::vector<std::string>{r.message}) << r.text;
      EXPECT_TRUE(IsWindowVisible(window)) << r.text;
    }
    Type(window, IDC_DURATION, "99");
    Click(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(names.size(), static_cast<size_t>(kTransitionCount));
  for (int id = 0; id < kTransitionCount; ++id) EXPECT_EQ(names[id], GetTransitionInfo(id).name) << id;
  EXPECT_EQ(names[92], "[3D] Cube faces");
  EXPECT_EQ(names[93], "[3D] Horizontal Flip");
  EXPECT_EQ(checksAtStart, std::string(92, '0') + "1" + std::string(8, '0'));
  EXPECT_EQ(duration, "2.5");
  std::array<uint8_t, kTransitionCount> expected{};
  expected[7] = expected[60] = 1;
  EXPECT_EQ(dialog.m_enabled, expected);
  EXPECT_EQ(dialog.m_duration, 99);
  EXPECT_FALSE(IsWindow(dialogWindow));
}

TEST_F(TransitionsDialogTest, ThePreviewPlaysTheSelectedTransitionFromThePictureAtRest) {
  CTransitionsDlg dialog(nullptr);
  dialog.m_duration = 5;
  dialog.m_enabled.fill(1);
  double restingOnA = 1, fadeFromA = 0, fadeFromB = 0, restingOnB = 1;
  bool revealFromA = false, showingA = true, playedBack = false;
  RunDriven(dialog, [&](HWND window) {
    ASSERT_NE(dialog.PictureA(), nullptr);
    ASSERT_NE(dialog.PictureB(), nullptr);
    WaitUntil([&] { return DifferingShare(*CapturePreview(window), dialog.PictureA(), 0, 1) == 0; });
    restingOnA = DifferingShare(*CapturePreview(window), dialog.PictureA(), 0, 1);

    // The fade (5 s) on its way: neither picture.
    Select(window, 0);
    EXPECT_TRUE(dialog.PreviewRunning());
    WaitUntil(
        [&] {
          const auto fading = CapturePreview(window);
          fadeFromA = DifferingShare(*fading, dialog.PictureA(), 0, 1);
          fadeFromB = DifferingShare(*fading, dialog.PictureB(), 0, 1);
          return fadeFromA > 0.9 && fadeFromB > 0.9;
        },
        4000);

    // Another transition starts over from the picture at rest: "Reveal and Replace from
    // Left" shows B coming in at the left while the right is still A.
    Type(window, IDC_DURATION, "2");
    Select(window, 1);
    revealFromA = WaitUntil(
        [&] {
          const auto shown = CapturePreview(window);
          return DifferingShare(*shown, dialog.PictureA(), 0.7, 1) == 0 &&
                 DifferingShare(*shown, dialog.PictureB(), 0, 0.05) == 0;
        },
        3000);
    // It ends on B and rests there.
    WaitUntil([&] { return !dialog.ShowingA(); }, 5000);
    showingA = dialog.ShowingA();
    WaitUntil([&] { return DifferingShare(*CapturePreview(window), dialog.PictureB(), 0, 1) == 0; }, 2000);
    restingOnB = DifferingShare(*CapturePreview(window), dialog.PictureB(), 0, 1);
    // After two seconds at rest it plays the transition back to A.
    playedBack = WaitUntil([&] { return dialog.ShowingA(); }, 8000);
  });
  EXPECT_EQ(restingOnA, 0) << "at rest the preview is exactly picture A";
  EXPECT_GT(fadeFromA, 0.9) << "mid-fade";
  EXPECT_GT(fadeFromB, 0.9) << "mid-fade";
  EXPECT_TRUE(revealFromA);
  EXPECT_FALSE(showingA);
  EXPECT_EQ(restingOnB, 0) << "at rest the preview is exactly picture B";
  EXPECT_TRUE(playedBack);
}

TEST_F(TransitionsDialogTest, ADurationOutOfRangeNamesItselfAndThePreviewKeepsTheLastValidOne) {
  CTransitionsDlg dialog(nullptr);
  dialog.m_duration = 0.5;
  dialog.m_enabled.fill(1);
  std::vector<std::string> messages;
  bool finished = false;
  RunDriven(dialog, [&](HWND window) {
    Type(window, IDC_DURATION, "1e30");  // a number, so it would reach a transition as one
    Select(window, 0);
    messages = m_boxes.Take();
    finished = WaitUntil([&] { return !dialog.ShowingA(); }, 5000);
  });
  EXPECT_EQ(messages, std::vector<std::string>{"Please enter a number between 0.5 and 99."});
  EXPECT_TRUE(finished) << "the preview ran its half second, not 1e30 seconds";
}

// Times the destroy handler, where the preview is stopped.
class TimedTransitionsDlg : public CTransitionsDlg {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  using CTransitionsDlg::CTransitionsDlg;
  DWORD destroyMs = 0;

 private:
  LRESULT OnDestroyTimed(WPARAM wParam, LPARAM lParam) {
    const DWORD begin = GetTickCount();
    const LRESULT result = OnDestroy(wParam, lParam);
    destroyMs = GetTickCount() - begin;
    return result;
  }
};
// clang-format off
GLINTORA_MESSAGE_MAP(TimedTransitionsDlg, CTransitionsDlg,
                     OnMessage<&TimedTransitionsDlg::OnDestroyTimed>(WM_DESTROY))
// clang-format on

TEST_F(TransitionsDialogTest, A3DTransitionRunsInThePreviewToItsEnd) {
  CTransitionsDlg dialog(nullptr);
  dialog.m_duration = 0.5;
  dialog.m_enabled.fill(1);
  bool finished = false;
  RunDriven(dialog, [&](HWND window) {
    Select(window, 92);  // "[3D] Cube faces", drawn with OpenGL in the preview control
    finished = WaitUntil([&] { return !dialog.ShowingA(); }, 5000);
  });
  EXPECT_TRUE(finished);
}

TEST_F(TransitionsDialogTest, ClosingDuringAPreviewWithItsTimerDueStopsAtOnceAndStartsNothing) {
  TimedTransitionsDlg dialog(nullptr);
  dialog.m_duration = 99;
  dialog.m_enabled.fill(1);
  HANDLE worker = nullptr;
  int startsBeforeClosing = 0;
  RunDriven(dialog, [&](HWND window) {
    Select(window, 0);
    ASSERT_TRUE(dialog.PreviewRunning());
    worker = OpenThread(SYNCHRONIZE, FALSE, dialog.PreviewThreadId());
    startsBeforeClosing = dialog.PreviewStarts();
    // The timer's message is served while the closing dialog waits for its worker.
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_TIMER, kPreviewTimerId, 0);
    WaitUntil([&] { return !IsWindow(window); });
  });
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0) << "the worker has ended";
  CloseHandle(worker);
  EXPECT_LT(dialog.destroyMs, 1000u);
  EXPECT_EQ(dialog.PreviewStarts(), startsBeforeClosing) << "no preview started while closing";
  EXPECT_FALSE(dialog.PreviewRunning());
}

}  // namespace
}  // namespace glintora
