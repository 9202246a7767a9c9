#pragma once
// Dialogs of our small Win32 framework: a CDialog runs a dialog template of the program's
// resources modally with its own message loop. The object is attached to the dialog window
// from the window's creation on (before WM_INITDIALOG), so the class's message map sees every
// message; what the map does not take goes to the system's dialog processing.

#include <windows.h>

#include "win/framework/data_exchange.h"
#include "win/framework/wnd.h"

namespace glintora {

class CDialog : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // `templateId` names the dialog resource; `parent` is the owner, disabled while the dialog
  // runs, or null for a dialog without owner.
  explicit CDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

  // Creates the dialog, runs it until EndDialog and destroys it. Returns the EndDialog
  // result, or -1 when the dialog could not be created or the application is quitting (the
  // quit message is then posted again for the outer loop).
  virtual INT_PTR DoModal();
  // Ends the modal run with `result` once the current message has been handled. The first
  // call decides: a command served while the dialog closes (a pump waiting for a worker)
  // cannot change the answer.
  void EndDialog(INT_PTR result);

  // Moves data between the controls and the members through DoDataExchange: `saveAndValidate`
  // reads the controls (and may fail validation: false), otherwise fills them.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // Dialog navigation (tab, arrows, Enter, Escape, mnemonics) for the keys of this dialog's
  // windows, whichever loop takes them from the queue.
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  // After the template's initial list and combo box items are in: fills the controls from
  // the members. True lets the system focus the first control.
  virtual BOOL OnInitDialog();
  // OK: reads and validates the controls, then ends with IDOK; a failed validation keeps
  // the dialog open.
  virtual void OnOK();
  virtual void OnCancel();
  // The class's exchange table: DDX_ and DDV_ calls, in control order.
  virtual void DoDataExchange(CDataExchange* /*dx*/) {}

 private:
  LRESULT OnInitDialogMessage(WPARAM, LPARAM);
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }
  // Fills list and combo boxes with the items the template's initial data lists.
  void ExecuteDlgInit();
  // Centres a top-level dialog that its initialisation left where the template put it, over
  // its owner or else over the screen's work area.
  void CenterIfUnmoved(const RECT& templatePlace);
  static LRESULT CALLBACK AttachHook(int code, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

  UINT m_templateId;
  HWND m_parent;
  bool m_running = false;  // inside DoModal's loop
  bool m_ending = false;   // EndDialog was called
  INT_PTR m_result = -1;
};

}  // namespace glintora
