#pragma once
// The options dialog: edits the saver's settings record (which it loads at construction)
// and saves it on OK; Cancel writes nothing. It also shows the program's name, version and
// web page, and a banner about the maker's imaging program.

#include <windows.h>

#include <string>

#include "core/settings/config.h"
#include "win/framework/button.h"
#include "win/framework/dialog.h"
#include "win/ui/folder_browser.h"
#include "win/ui/hyper_link.h"
#include "win/ui/separator.h"
#include "win/ui/static_separator.h"
#include "win/ui/transparent_bitmap.h"

namespace glintora {

// What the browse button asks the folder browser for.
inline constexpr const char* kBrowseTitle = "Choose a directory";
inline constexpr UINT kBrowseFlags = 0x49;  // file-system folders only, their ancestors, new style
// What the dialog says when the chosen folder's path cannot be used.
inline constexpr const char* kUnusableFolderMessage =
    "This folder cannot be used: its path is too long, or has characters this program cannot "
    "use.\n\nPlease choose another folder.";
// The logo's place in the dialog (client pixels) and its transparent colour.
inline constexpr int kLogoX = 36;
inline constexpr int kLogoY = 100;
inline constexpr COLORREF kLogoTransparent = 0x8000FF;
// The delay's range, in seconds.
inline constexpr double kMinimumDelay = 1;
inline constexpr double kMaximumDelay = 120;

class CSetupDlg : public CDialog, public CConfig {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Loads the settings from `settings`; `parent` owns the dialog (null: none); the browse
  // button asks `browser`, which outlives the dialog.
  CSetupDlg(ProfileStore& settings, HWND parent, FolderBrowser& browser = SystemFolderBrowser());
  ~CSetupDlg() override;

  const std::string& VersionText() const { return m_version; }
  const CvxHyperLink& WebLink() const { return m_webLink; }
  const CvxHyperLink& ProductLink() const { return m_productLink; }

 protected:
  BOOL OnInitDialog() override;
  // Validated save into the registry, then IDOK.
  void OnOK() override;
  void DoDataExchange(CDataExchange* dx) override;

  void OnBrowse();
  void OnUseTransitions();
  // Opens the transitions dialog on copies of the duration and the flags; only its OK
  // brings them back into the record.
  void OnTransitionsSetup();
  void OnPlayMovies();
  LRESULT OnPaint(WPARAM, LPARAM);

 private:
  // "Setup..." follows "Transition"; the zoom list and "Mute sound" follow "Play Movies".
  void UpdateEnabling();

  CvxHyperLink m_webLink;             // 1016: the program's page
  CvxHyperLink m_productLink;         // 1017: the imaging program's page
  CSeparator m_bottomLine;            // 1011
  CStaticSeparator m_filesHeading;    // 1009
  CStaticSeparator m_displayHeading;  // 1010
  CButton m_browseButton;             // 1008
  std::string m_version;              // 1015
  CvxTransparentBitmap m_logo;
  HICON m_icon = nullptr;            // owned; icon 128 at the system's large size
  CStaticSeparator m_moviesHeading;  // 1012
  HICON m_smallIcon = nullptr;       // owned; icon 128 at the small size
  HICON m_browseIcon = nullptr;      // owned; icon 3000 on the browse button
  FolderBrowser& m_browser;
};

}  // namespace glintora
