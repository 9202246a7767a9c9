#include "win/ui/setup_dlg.h"

#include "res/resource.h"
#include "win/framework/message_box.h"
#include "win/framework/win_app.h"
#include "win/platform/file_version.h"
#include "win/platform/handles.h"
#include "win/ui/product_links.h"
#include "win/ui/transitions_dlg.h"

namespace glintora {
namespace {

HICON LoadIconOfSize(UINT id, int size) {
  return static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CSetupDlg, CDialog, OnCommand<&CSetupDlg::OnBrowse>(IDC_BROWSE),
                     OnCommand<&CSetupDlg::OnUseTransitions>(IDC_USE_TRANSITIONS),
                     OnCommand<&CSetupDlg::OnTransitionsSetup>(IDC_TRANSITIONS_SETUP),
                     OnCommand<&CSetupDlg::OnPlayMovies>(IDC_PLAY_MOVIES), OnMessage<&CSetupDlg::OnPaint>(WM_PAINT))
// clang-format on

CSetupDlg::CSetupDlg(ProfileStore& settings, HWND parent, FolderBrowser& browser)
    : CDialog(IDD_OPTIONS, parent),
      CConfig(settings),
      m_version(ProductVersionText(AfxGetResourceHandle())),
      m_browser(browser) {}

CSetupDlg::~CSetupDlg() {
  if (m_hWnd) DestroyWindow();  // the window uses the icons until it goes
  for (HICON icon : {m_icon, m_smallIcon, m_browseIcon}) {
    if (icon) DestroyIcon(icon);
  }
}

void CSetupDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_WEB_LINK, m_webLink);
  DDX_Control(dx, IDC_PRODUCT_LINK, m_productLink);
  DDX_Control(dx, IDC_BOTTOM_LINE, m_bottomLine);
  DDX_Control(dx, IDC_FILES_HEADING, m_filesHeading);
  DDX_Control(dx, IDC_DISPLAY_HEADING, m_displayHeading);
  DDX_Control(dx, IDC_BROWSE, m_browseButton);
  DDX_Control(dx, IDC_MOVIES_HEADING, m_moviesHeading);
  DDX_Text(dx, IDC_DIRECTORY, m_directory);
  DDX_Text(dx, IDC_DELAY, m_delay);
  DDV_MinMaxDouble(dx, m_delay, kMinimumDelay, kMaximumDelay);
  DDX_Check(dx, IDC_RANDOM, m_random);
  DDX_Check(dx, IDC_RECURSIVE, m_recursive);
  DDX_Check(dx, IDC_ENLARGE, m_enlarge);
  DDX_Check(dx, IDC_USE_TRANSITIONS, m_useTransitions);
  DDX_Check(dx, IDC_ALL_MONITORS, m_allMonitors);
  DDX_Check(dx, IDC_PLAY_MOVIES, m_playMovies);
  DDX_CBString(dx, IDC_MOVIE_ZOOM, m_movieZoom);
  DDX_Check(dx, IDC_MUTE_MOVIES, m_muteMovies);
  DDX_Text(dx, IDC_VERSION, m_version);
}

BOOL CSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();  // attaches the controls and fills them

  CvxHyperLink::Colours colours = m_webLink.GetColours();
  colours.focus = colours.visited = colours.link;
  m_webLink.SetColours(colours);
  m_productLink.SetColours(colours);
  m_webLink.SetLinkText("Web site");
  m_webLink.SetURL(kProgramWebPage);
  m_productLink.SetURL(kImagingProgramWebPage);

  m_browseIcon = LoadIconOfSize(IDI_BROWSE, GetSystemMetrics(SM_CXSMICON));
  m_browseButton.SetIcon(m_browseIcon);
  m_logo.Load(IDB_LOGO, kLogoTransparent);
  m_icon = LoadIconOfSize(IDI_GLINTORA, GetSystemMetrics(SM_CXICON));
  m_smallIcon = LoadIconOfSize(IDI_GLINTORA, GetSystemMetrics(SM_CXSMICON));
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));

  UpdateData(FALSE);
  UpdateEnabling();
  return TRUE;
}

void CSetupDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  Save();
  EndDialog(IDOK);
}

void CSetupDlg::OnBrowse() {
  // The record follows the controls; a failed validation has shown its message, and the
  // browse still goes on.
  UpdateData(TRUE);
  const std::optional<std::string> folder = m_browser.Browse({m_hWnd, kBrowseTitle, kBrowseFlags, m_directory});
  if (!folder) return;
  if (folder->empty()) {
    // Left as it was, but not silently: the user chose something.
    ShowMessageBox(m_hWnd, kUnusableFolderMessage, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  m_directory = *folder;
  if (m_directory.back() != '\\') m_directory += '\\';
  // Only the folder's control changes: the others keep what the user typed, also past a
  // value that failed validation above (the record does not hold those edits).
  SetDlgItemTextA(m_hWnd, IDC_DIRECTORY, m_directory.c_str());
}

void CSetupDlg::OnUseTransitions() {
  m_useTransitions = IsChecked(m_hWnd, IDC_USE_TRANSITIONS);
  UpdateEnabling();
}

void CSetupDlg::OnTransitionsSetup() {
  CTransitionsDlg transitions(m_hWnd);
  transitions.m_duration = m_transitionDuration;
  transitions.m_enabled = m_usage;
  if (transitions.DoModal() != IDOK) return;
  m_transitionDuration = transitions.m_duration;
  m_usage = transitions.m_enabled;
}

void CSetupDlg::OnPlayMovies() {
  m_playMovies = IsChecked(m_hWnd, IDC_PLAY_MOVIES);
  UpdateEnabling();
}

void CSetupDlg::UpdateEnabling() {
  EnableWindow(GetDlgItem(IDC_TRANSITIONS_SETUP), m_useTransitions);
  EnableWindow(GetDlgItem(IDC_MOVIE_ZOOM), m_playMovies);
  EnableWindow(GetDlgItem(IDC_MUTE_MOVIES), m_playMovies);
}

LRESULT CSetupDlg::OnPaint(WPARAM, LPARAM) {
  const PaintDc painting(m_hWnd);
  HDC dc = painting.Get();
  m_logo.Draw(dc, kLogoX, kLogoY);
  return 0;
}

}  // namespace glintora
