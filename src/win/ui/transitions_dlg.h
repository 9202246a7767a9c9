#pragma once
// "Transitions Setup": the check list of the 101 transitions the show may choose from, the
// transition duration, and a live preview that plays the selected transition between two
// built-in pictures, back and forth, on a worker thread running the real transition engine.
// The caller fills the duration and the flags, runs the dialog, and reads both back on IDOK.

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/image/image.h"
#include "core/loaders/image_loader.h"
#include "core/transitions/catalogue.h"
#include "core/transitions/engine.h"
#include "win/framework/check_list_box.h"
#include "win/framework/dialog.h"
#include "win/framework/stoppable_worker.h"

namespace glintora {

// The duration's range, in seconds.
inline constexpr double kMinimumTransitionSeconds = 0.5;
inline constexpr double kMaximumTransitionSeconds = 99;
// Timer 1 restarts the preview after it has rested this long on a picture.
inline constexpr UINT_PTR kPreviewTimerId = 1;
inline constexpr UINT kPreviewRestMs = 2000;

// What the preview worker needs; lives in the dialog, the worker gets its address.
struct PreviewJob {
  HWND preview = nullptr;  // the preview control, drawn through its own device context
  const CvxImageColor8* from = nullptr;  // the picture at rest; the dialog's
  const CvxImageColor8* to = nullptr;    // the other one; the dialog's
  int id = 0;                            // the transition identifier
  double seconds = 0;
  ContinueCallback callback = nullptr;
  void* context = nullptr;  // the dialog
  int start = 0;            // which start of the preview this job is
};

class CTransitionsDlg : public CDialog {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  explicit CTransitionsDlg(HWND parent);
  // Waits for a preview worker that is still running: it draws the pictures deleted here.
  ~CTransitionsDlg() override;

  // In: the caller's copies. Out, after IDOK: the validated duration and the flags (0 or 1).
  double m_duration = 0;
  std::array<uint8_t, kTransitionCount> m_enabled{};

  // What the preview shows, for tests: the two pictures at the preview's size (null when not
  // loaded), which one is at rest, the worker.
  const CvxImage* PictureA() const { return m_pictureA.get(); }
  const CvxImage* PictureB() const { return m_pictureB.get(); }
  bool ShowingA() const { return m_showingA; }
  bool PreviewRunning() const { return m_preview.Running(); }
  DWORD PreviewThreadId() const { return m_preview.ThreadId(); }
  int PreviewStarts() const { return m_previewStarts; }

  // The transition engine's options (tests may script its clock).
  TransitionOptions m_transitionOptions;

 protected:
  BOOL OnInitDialog() override;
  // The flags from the checks; with none checked, a warning and the dialog stays.
  void OnOK() override;
  void DoDataExchange(CDataExchange* dx) override;

  void OnSelectionChange() { StartPreview(); }
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  void OnSelectAll() { CheckAll(1); }
  void OnUnselectAll() { CheckAll(0); }
  LRESULT OnDestroy(WPARAM, LPARAM);
  // A worker's transition ran to its end: the preview rests, then plays it back.
  LRESULT OnPreviewFinished(WPARAM start, LPARAM);

 private:
  // Picture A (resource 134) and B (133) at the preview's client size; null when missing.
  void LoadPictures();
  void FillList();
  void CheckAll(int check);
  // Stops a running preview and starts the selected transition from the picture at rest.
  void StartPreview();
  // Asks the worker to stop and waits for it, serving this thread's messages meanwhile.
  void StopPreview();
  // Serves the calling thread's waiting messages through the dialog's pre-translation.
  void PumpMessages();
  static UINT PreviewThreadProc(const PreviewJob* job);
  static bool ContinuePreview(void* dialog);

  CCheckListBox m_list;  // 1348
  int m_selected = 0;    // the list's selection: the transition previewed
  std::unique_ptr<CvxImage> m_pictureA;  // owned, Color8
  std::unique_ptr<CvxImage> m_pictureB;  // owned, Color8
  PreviewJob m_job;
  CStoppableWorker m_preview;  // the running preview, if any
  std::atomic<bool> m_showingA{true};       // flipped by the worker after a finished transition
  CvxImageLoader m_loader;
  // The last duration that passed validation: text that is not a number in range never
  // reaches the engine.
  double m_previewSeconds = 2;
  bool m_closing = false;   // WM_DESTROY has begun: nothing starts any more
  bool m_stopping = false;  // StopPreview is waiting; a start asked meanwhile is dropped
  int m_previewStarts = 0;
};

}  // namespace glintora
