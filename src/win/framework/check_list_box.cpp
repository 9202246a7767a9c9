#include "win/framework/check_list_box.h"

#include <algorithm>
#include <vector>

namespace glintora {
namespace {

// A check box's size in pixels, as the system's buttons draw theirs.
constexpr int kBoxSize = 13;
// Space left of the box and between the box and the text.
constexpr int kBoxMargin = 2;

bool IsThreeState(UINT style) { return style == BS_3STATE || style == BS_AUTO3STATE; }
bool IsAutomatic(UINT style) { return style == BS_AUTOCHECKBOX || style == BS_AUTO3STATE; }

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CCheckListBox, CWnd, OnReflected<&CCheckListBox::OnDrawItem>(WM_DRAWITEM),
                     OnReflected<&CCheckListBox::OnMeasureItem>(WM_MEASUREITEM),
                     OnMessage<&CCheckListBox::OnLButtonDown>(WM_LBUTTONDOWN),
                     OnMessage<&CCheckListBox::OnLButtonDown>(WM_LBUTTONDBLCLK),
                     OnMessage<&CCheckListBox::OnKeyDown>(WM_KEYDOWN), OnMessage<&CCheckListBox::OnChar>(WM_CHAR))
// clang-format on

void CCheckListBox::SetCheck(int index, int check) {
  if (index < 0 || index >= GetCount()) return;
  SendMessageA(m_hWnd, LB_SETITEMDATA, static_cast<WPARAM>(index), check);
  RECT item{};
  if (SendMessageA(m_hWnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
    InvalidateRect(m_hWnd, &item, FALSE);
  }
}

int CCheckListBox::GetCheck(int index) const {
  const LRESULT data = SendMessageA(m_hWnd, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  return data == LB_ERR ? 0 : static_cast<int>(data);
}

int CCheckListBox::AddString(const char* text) {
  return static_cast<int>(SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CCheckListBox::GetCount() const { return static_cast<int>(SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0)); }

RECT CCheckListBox::BoxRect(const RECT& item) const {
  const int height = item.bottom - item.top;
  const int size = std::max(1, std::min(kBoxSize, height - 2));
  RECT box;
  box.left = item.left + kBoxMargin;
  box.top = item.top + (height - size) / 2;
  box.right = box.left + size;
  box.bottom = box.top + size;
  return box;
}

int CCheckListBox::CheckFromPoint(POINT point, bool* onBox) const {
  *onBox = false;
  const LRESULT hit = SendMessageA(m_hWnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (hit == LB_ERR || HIWORD(hit) != 0) return -1;  // outside every item
  const int index = LOWORD(hit);
  RECT item{};
  if (SendMessageA(m_hWnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
    return -1;
  }
  const RECT box = BoxRect(item);
  *onBox = point.x >= item.left && point.x < box.right + kBoxMargin;
  return index;
}

int CCheckListBox::MinimumItemHeight() const {
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);
  return std::max<int>(metrics.tmHeight, kBoxSize) + 2;
}

void CCheckListBox::PreSubclassWindow() {
  // The list measured its items before this object was attached; the boxes need room.
  const int height = MinimumItemHeight();
  if (SendMessageA(m_hWnd, LB_GETITEMHEIGHT, 0, 0) < height) SendMessageA(m_hWnd, LB_SETITEMHEIGHT, 0, height);
}

LRESULT CCheckListBox::OnMeasureItem(WPARAM, LPARAM lParam) {
  reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(MinimumItemHeight());
  return TRUE;
}

LRESULT CCheckListBox::OnDrawItem(WPARAM, LPARAM lParam) {
  DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}

void CCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0 || !IsWindowEnabled(m_hWnd);
  const RECT box = BoxRect(item.rcItem);
  RECT text = item.rcItem;
  text.left = box.right + kBoxMargin + 1;

  // The whole item is drawn again for every action, so the focus rectangle is never
  // toggled twice.
  RECT beside = item.rcItem;
  beside.right = text.left;
  FillRect(dc, &beside, GetSysColorBrush(COLOR_WINDOW));
  FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
    return;
  }
  const int check = GetCheck(static_cast<int>(item.itemID));
  UINT boxState = DFCS_BUTTONCHECK;
  if (check == 2) boxState = DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (check == 1) boxState |= DFCS_CHECKED;
  if (disabled) boxState |= DFCS_INACTIVE;
  RECT boxRect = box;
  DrawFrameControl(dc, &boxRect, DFC_BUTTON, boxState);

  const LRESULT length = SendMessageA(m_hWnd, LB_GETTEXTLEN, item.itemID, 0);
  if (length > 0) {
    std::vector<char> label(static_cast<size_t>(length) + 1);
    SendMessageA(m_hWnd, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(label.data()));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(
        dc, GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT words = text;
    words.left += 1;
    DrawTextA(dc, label.data(), static_cast<int>(length), &words, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

void CCheckListBox::UserToggle(int index) {
  if (IsAutomatic(m_checkStyle)) SetCheck(index, (GetCheck(index) + 1) % (IsThreeState(m_checkStyle) ? 3 : 2));
  if (HWND parent = GetParent(m_hWnd)) {
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_hWnd), kCheckChangeNotification),
                 reinterpret_cast<LPARAM>(m_hWnd));
  }
}

LRESULT CCheckListBox::OnLButtonDown(WPARAM, LPARAM lParam) {
  // The list selects the item and takes the focus first; a click on the box also changes it.
  const LRESULT result = Default();
  bool onBox = false;
  const int index = CheckFromPoint({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, &onBox);
  if (index >= 0 && onBox && IsWindowEnabled(m_hWnd)) UserToggle(index);
  return result;
}

LRESULT CCheckListBox::OnKeyDown(WPARAM key, LPARAM) {
  if (key != VK_SPACE) return Default();
  const int caret = static_cast<int>(SendMessageA(m_hWnd, LB_GETCARETINDEX, 0, 0));
  if (caret >= 0 && caret < GetCount()) UserToggle(caret);
  return 0;
}

LRESULT CCheckListBox::OnChar(WPARAM character, LPARAM) {
  // The space has changed a check; the list's own search by typed prefix must not see it.
  return character == ' ' ? 0 : Default();
}

}  // namespace glintora
