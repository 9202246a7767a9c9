#pragma once
// A link in a dialog: a subclassed static control that shows its text in link colours with
// an underlined font, shows the hand cursor over it, and opens its target on a click or the
// space bar; once opened it takes the visited colour.

#include <windows.h>

#include <string>

#include "win/framework/static_control.h"
#include "win/ui/link_shell.h"

namespace glintora {

class CvxHyperLink : public CStatic {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Option bits.
  static constexpr DWORD kUnderline = 0x01;         // underline the text
  static constexpr DWORD kUseHoverColour = 0x02;    // the hover colour while the mouse is over it
  static constexpr DWORD kSizeToText = 0x04;        // the control's size is its text's
  static constexpr DWORD kOpenOnButtonDown = 0x08;  // open on the button press, not its release
  static constexpr DWORD kFocusOnClick = 0x10;      // a click takes the focus
  static constexpr DWORD kNormalCursor = 0x20;      // keep the normal cursor, not the hand
  static constexpr DWORD kNoFocusColour = 0x40;     // never the focus colour
  static constexpr DWORD kDefaultOptions = kUnderline | kSizeToText | kFocusOnClick;

  struct Colours {
    COLORREF link = RGB(0, 0, 255);
    COLORREF visited = RGB(128, 0, 128);
    COLORREF hover = RGB(255, 0, 0);
    COLORREF focus = RGB(0, 128, 128);
  };

  // `shell` opens the targets; it outlives the control.
  explicit CvxHyperLink(LinkShell& shell = SystemLinkShell()) : m_shell(shell) {}
  ~CvxHyperLink() override;

  // The target opened by a click. Set before subclassing, or the text is taken.
  void SetURL(const std::string& target) { m_target = target; }
  const std::string& GetURL() const { return m_target; }
  // Changes the text (and the size, when the control is sized to its text).
  void SetLinkText(const std::string& text);
  void SetColours(const Colours& colours);
  const Colours& GetColours() const { return m_colours; }
  void SetOptions(DWORD options);
  DWORD GetOptions() const { return m_options; }
  void SetVisited(bool visited);
  bool GetVisited() const { return m_visited; }
  // The colour the text is drawn in now.
  COLORREF TextColour() const;
  // Opens the target; shows why when it cannot. True when it opened.
  bool Open();

  // The hand cursor, made once per process: cursor 106 of the system's help program, or the
  // system's own hand (never null).
  static HCURSOR HandCursor();

 protected:
  // Takes the text as target when it has none, the underlined font and its size.
  void PreSubclassWindow() override;
  LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcHitTest(WPARAM, LPARAM) { return HTCLIENT; }  // the whole control takes the mouse
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM lParam);
  LRESULT OnCaptureChanged(WPARAM, LPARAM lParam);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM lParam);
  LRESULT OnKeyDown(WPARAM wParam, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);

 private:
  void ApplyFont();
  void SizeToText();
  // Repaints the control over the parent's background (its own is transparent).
  void Redraw();
  bool Inside(LPARAM point) const;

  LinkShell& m_shell;
  std::string m_target;
  Colours m_colours;
  DWORD m_options = kDefaultOptions;
  bool m_visited = false;
  bool m_over = false;  // the mouse is over it (and captured)
  bool m_focused = false;
  bool m_pressed = false;  // a button press began on it
  HFONT m_font = nullptr;  // owned; the control's font while it lives
};

}  // namespace glintora
