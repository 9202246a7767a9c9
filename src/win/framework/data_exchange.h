#pragma once
// Dialog data exchange: a dialog's DoDataExchange lists DDX_ calls that move each member to
// its control ("load") or back ("save"), with DDV_ checks after the members they validate.
// A failed check shows its message, focuses the control (selecting an edit's text) and
// stops the exchange: every later call of that exchange does nothing.

#include <windows.h>

#include <string>

namespace glintora {

class CWnd;

// The messages of the framework's validation.
inline constexpr const char* kNotANumberMessage = "Please enter a number.";
inline constexpr const char* kNumberRangeMessage = "Please enter a number between %1 and %2.";

class CDataExchange {
 public:
  CDataExchange(CWnd& dialog, bool saveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}

  // The control `id` of the dialog, remembered as the one a failure focuses.
  HWND PrepareCtrl(int id);
  // The same for an edit control, whose text a failure selects.
  HWND PrepareEditCtrl(int id);
  // Shows `message` (owned by the dialog), then fails.
  void Fail(const std::string& message);
  bool Failed() const { return m_failed; }
  // True while the exchange goes on: nothing has failed yet.
  bool Active() const { return !m_failed; }

  CWnd& m_dialog;
  const bool m_bSaveAndValidate;

 private:
  HWND m_lastControl = nullptr;
  bool m_lastIsEdit = false;
  bool m_failed = false;
};

// Attaches `control` to the dialog's control `id` the first time (any direction).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Window text <-> text.
void DDX_Text(CDataExchange* dx, int id, std::string& value);
// Window text <-> number: the shortest text that reads back to the value; on save the whole
// text must be one finite number ("Please enter a number." otherwise).
void DDX_Text(CDataExchange* dx, int id, double& value);
// Check box: load checks it when true; save is true exactly when it is checked.
void DDX_Check(CDataExchange* dx, int id, bool& value);
// Combo box text: load selects the first item that begins with the text (ignoring case),
// none when the text is empty or no item matches; save gives the selected item's text, or ""
// when nothing is selected.
void DDX_CBString(CDataExchange* dx, int id, std::string& value);
// List box selection index, -1 for none.
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
// On save: `value` (just read by the DDX_Text before this call) must lie in
// [minimum, maximum] ("Please enter a number between %1 and %2." otherwise).
void DDV_MinMaxDouble(CDataExchange* dx, double value, double minimum, double maximum);

}  // namespace glintora
