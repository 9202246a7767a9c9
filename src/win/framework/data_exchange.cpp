#include "win/framework/data_exchange.h"

#include <vector>

#include "core/base/text.h"
#include "win/framework/message_box.h"
#include "win/framework/wnd.h"

namespace glintora {
namespace {

std::string ComboItemText(HWND combo, LRESULT index) {
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::vector<char> text(static_cast<size_t>(length) + 1);
  const LRESULT copied =
      SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return copied == CB_ERR ? std::string() : std::string(text.data(), static_cast<size_t>(copied));
}

// "%1" and "%2" of `pattern` replaced by the two texts.
std::string FormatMessage2(const std::string& pattern, const std::string& first, const std::string& second) {
  std::string text;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      text += pattern[i + 1] == '1' ? first : second;
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
  m_lastControl = m_dialog.GetDlgItem(id);
  m_lastIsEdit = false;
  return m_lastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  PrepareCtrl(id);
  m_lastIsEdit = true;
  return m_lastControl;
}

void CDataExchange::Fail(const std::string& message) {
  ShowMessageBox(m_dialog.m_hWnd, message, MB_OK | MB_ICONEXCLAMATION);
  if (m_lastControl) {
    SetFocus(m_lastControl);
    if (m_lastIsEdit) SendMessageA(m_lastControl, EM_SETSEL, 0, -1);
  }
  m_failed = true;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!dx->Active() || control.m_hWnd) return;
  control.SubclassWindow(dx->PrepareCtrl(id));
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  if (!dx->Active()) return;
  HWND edit = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = WindowText(edit);
  } else {
    SetWindowTextA(edit, value.c_str());
  }
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
  if (!dx->Active()) return;
  HWND edit = dx->PrepareEditCtrl(id);
  if (!dx->m_bSaveAndValidate) {
    SetWindowTextA(edit, FormatShortest(value).c_str());
    return;
  }
  const std::optional<double> number = ParseWholeNumber(WindowText(edit));
  if (!number) {
    dx->Fail(kNotANumberMessage);
    return;
  }
  value = *number;
}

void DDX_Check(CDataExchange* dx, int id, bool& value) {
  if (!dx->Active()) return;
  HWND button = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
  } else {
    SendMessageA(button, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void DDX_CBString(CDataExchange* dx, int id, std::string& value) {
  if (!dx->Active()) return;
  HWND combo = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    value = selected == CB_ERR ? std::string() : ComboItemText(combo, selected);
    return;
  }
  // Our own prefix search: the system's would take the empty text as a prefix of any item.
  LRESULT match = CB_ERR;
  if (!value.empty()) {
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && match == CB_ERR; ++i) {
      const std::string item = ComboItemText(combo, i);
      if (item.size() >= value.size() && EqualsIgnoreCase(std::string_view(item).substr(0, value.size()), value)) {
        match = i;
      }
    }
  }
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index) {
  if (!dx->Active()) return;
  HWND list = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    index = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  } else {
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

void DDV_MinMaxDouble(CDataExchange* dx, double value, double minimum, double maximum) {
  if (!dx->Active() || !dx->m_bSaveAndValidate) return;
  if (value >= minimum && value <= maximum) return;
  dx->Fail(FormatMessage2(kNumberRangeMessage, FormatShortest(minimum), FormatShortest(maximum)));
}

}  // namespace glintora
